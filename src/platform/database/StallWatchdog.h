#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Ends calls into a driver that wait on a server which no longer answers.
// A driver's own time limits are enforced by the server or by the driver
// itself; a server that is stopped, or a network that swallows packets,
// leaves such a call waiting for ever. The watchdog's thread sleeps until
// the guarded call has run past its limit, then first asks the driver to
// cancel (`cancel`, on a thread of its own, since a cancel may itself wait
// for the server) and, if the call is still running a moment later, ends it
// by force (`interrupt`).
//
// One call is guarded at a time; the object that makes the calls owns the
// watchdog and its thread.
class StallWatchdog {
public:
    struct Actions {
        // Asks the driver to stop the call. May block; may be empty.
        std::function<void()> cancel;
        // Makes the call return at once (for example by shutting down its
        // connection's sockets). Must not block.
        std::function<void()> interrupt;
    };

    // `interruptDelay`: how long the cancel is given before the interrupt.
    explicit StallWatchdog(std::chrono::milliseconds interruptDelay = std::chrono::seconds(1));
    ~StallWatchdog();

    StallWatchdog(const StallWatchdog&) = delete;
    StallWatchdog& operator=(const StallWatchdog&) = delete;

    // Guards one call from its construction to Finish() or its destruction.
    class Guard {
    public:
        ~Guard();
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

        // Ends the watch once the call has returned. True when the watchdog
        // stepped in: the call is then to be taken as failed, whatever it
        // returned, and its connection as lost. A cancel still running is
        // ended by the interrupt and waited for, so that nothing of the call
        // is in use when this returns.
        bool Finish();

    private:
        friend class StallWatchdog;
        explicit Guard(StallWatchdog& watchdog) : watchdog_(&watchdog) { }
        StallWatchdog* watchdog_;
    };

    // Starts guarding a call that may take `limit`.
    [[nodiscard]] Guard Watch(std::chrono::milliseconds limit, Actions actions);

private:
    enum class Stage { Idle, Waiting, Cancelling, Interrupted };
    using Clock = std::chrono::steady_clock;

    void Run();
    bool Disarm();

    const std::chrono::milliseconds interruptDelay_;
    std::mutex mutex_;
    std::condition_variable changed_;
    Stage stage_ = Stage::Idle;
    bool stopping_ = false;
    Clock::time_point deadline_;
    Actions actions_;
    std::thread canceller_;
    std::thread thread_; // last: starts once everything above exists
};

#include "platform/StallWatchdog.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>

namespace {

using namespace std::chrono_literals;

// A call that waits until something ends it, with what happened recorded in order.
class BlockedCall {
public:
    void Wait()
    {
        std::unique_lock lock(mutex_);
        ended_.wait(lock, [this] { return interrupted_; });
    }
    StallWatchdog::Actions Actions()
    {
        // The cancel waits as psqlODBC's does on a silent server: until the
        // interrupt ends its wait too.
        return {[this] {
                    Record("cancel");
                    Wait();
                    Record("cancel returned");
                },
                [this] {
                    Record("interrupt");
                    const std::lock_guard lock(mutex_);
                    interrupted_ = true;
                    ended_.notify_all();
                }};
    }
    void Record(const std::string& step)
    {
        const std::lock_guard lock(logMutex_);
        log_ += step + ';';
    }
    std::string Log()
    {
        const std::lock_guard lock(logMutex_);
        return log_;
    }

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    bool interrupted_ = false;
    std::mutex logMutex_;
    std::string log_;
};

TEST(StallWatchdog, LeavesACallThatEndsInTimeAlone)
{
    StallWatchdog watchdog;
    BlockedCall call;
    for (int i = 0; i < 3; ++i) {
        StallWatchdog::Guard guard = watchdog.Watch(1h, call.Actions());
        EXPECT_FALSE(guard.Finish());
    }
    EXPECT_EQ(call.Log(), "");
}

TEST(StallWatchdog, CancelsASilentCallThenInterruptsItAndEveryWaitOfTheCancel)
{
    StallWatchdog watchdog(0ms);
    for (int round = 0; round < 2; ++round) {
        BlockedCall call;
        StallWatchdog::Guard guard = watchdog.Watch(0ms, call.Actions());
        call.Wait();
        EXPECT_TRUE(guard.Finish());
        // Both ran, and Finish waited for the cancel to return.
        const std::string log = call.Log();
        EXPECT_TRUE(log == "cancel;interrupt;cancel returned;" || log == "interrupt;cancel;cancel returned;")
            << round << ": " << log;
    }
}

} // namespace

#include "platform/database/StallWatchdog.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>

namespace {

using namespace std::chrono_literals;

// A call that waits until the interrupt ends it; its cancel waits the same
// way, as psqlODBC's does on a silent server. What ran is logged in order.
struct BlockedCall {
    std::mutex mutex;
    std::condition_variable ended;
    bool interrupted = false;
    std::string log;

    void Wait()
    {
        std::unique_lock lock(mutex);
        ended.wait(lock, [this] { return interrupted; });
    }
    void Log(const char* step)
    {
        const std::lock_guard lock(mutex);
        log += step;
    }
    StallWatchdog::Actions Actions()
    {
        return {[this] {
                    Log("cancel;");
                    Wait();
                    Log("cancel returned;");
                },
                [this] {
                    const std::lock_guard lock(mutex);
                    log += "interrupt;";
                    interrupted = true;
                    ended.notify_all();
                }};
    }
};

TEST(StallWatchdog, LeavesACallThatEndsInTimeAlone)
{
    StallWatchdog watchdog;
    BlockedCall call;
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(watchdog.Watch(1h, call.Actions()).Finish());
    EXPECT_EQ(call.log, "");
}

TEST(StallWatchdog, CancelsASilentCallThenInterruptsItAndEveryWaitOfTheCancel)
{
    StallWatchdog watchdog(0ms);
    for (int round = 0; round < 2; ++round) {
        BlockedCall call;
        StallWatchdog::Guard guard = watchdog.Watch(0ms, call.Actions());
        call.Wait();
        EXPECT_TRUE(guard.Finish());
        // Both ran, in either order, and Finish waited for the cancel to return.
        EXPECT_TRUE(call.log == "cancel;interrupt;cancel returned;" || call.log == "interrupt;cancel;cancel returned;")
            << round << ": " << call.log;
    }
}

} // namespace

#include "platform/database/StallWatchdog.h"

#include <cassert>
#include <utility>

StallWatchdog::StallWatchdog(std::chrono::milliseconds interruptDelay)
    : interruptDelay_(interruptDelay), thread_([this] { Run(); })
{
}

StallWatchdog::~StallWatchdog()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

StallWatchdog::Guard StallWatchdog::Watch(std::chrono::milliseconds limit, Actions actions)
{
    {
        const std::lock_guard lock(mutex_);
        assert(stage_ == Stage::Idle && "one guarded call at a time");
        actions_ = std::move(actions);
        deadline_ = Clock::now() + limit;
        stage_ = Stage::Waiting;
    }
    changed_.notify_all();
    return Guard(*this);
}

void StallWatchdog::Run()
{
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        switch (stage_) {
        case Stage::Idle:
        case Stage::Interrupted:
            changed_.wait(lock);
            break;
        case Stage::Waiting:
            if (changed_.wait_until(lock, deadline_) == std::cv_status::timeout && stage_ == Stage::Waiting
                && Clock::now() >= deadline_) {
                stage_ = Stage::Cancelling;
                deadline_ = Clock::now() + interruptDelay_;
                if (actions_.cancel)
                    canceller_ = std::thread(actions_.cancel);
            }
            break;
        case Stage::Cancelling:
            if (changed_.wait_until(lock, deadline_) == std::cv_status::timeout && stage_ == Stage::Cancelling
                && Clock::now() >= deadline_) {
                // Under the lock, so that the guard cannot finish while the
                // interrupt is at work on the call's resources.
                stage_ = Stage::Interrupted;
                if (actions_.interrupt)
                    actions_.interrupt();
            }
            break;
        }
    }
}

bool StallWatchdog::Disarm()
{
    std::thread canceller;
    bool stepped_in = false;
    {
        const std::lock_guard lock(mutex_);
        stepped_in = stage_ != Stage::Waiting;
        // A cancel that has not ended the call by now may be waiting for the
        // same silent server: the interrupt ends its wait too.
        if (stage_ == Stage::Cancelling && actions_.interrupt)
            actions_.interrupt();
        stage_ = Stage::Idle;
        canceller = std::move(canceller_);
        actions_ = {};
    }
    changed_.notify_all();
    if (canceller.joinable())
        canceller.join();
    return stepped_in;
}

StallWatchdog::Guard::~Guard()
{
    Finish();
}

bool StallWatchdog::Guard::Finish()
{
    if (watchdog_ == nullptr)
        return false;
    StallWatchdog* watchdog = std::exchange(watchdog_, nullptr);
    return watchdog->Disarm();
}

#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <map>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <utility>
#include <vector>

// Runs work over the indices 0 .. count - 1 on several threads and hands the
// results to the calling thread strictly in index order, so that whatever
// the caller does with them (writing files, counting progress) happens in
// the order and with the outcome of a one-thread run.
//
// Memory stays bounded: a thread takes index i only while i is fewer than
// `capacity` indices ahead of the next one to be handed over, so at most
// `capacity` pictures are in hand or waiting, however long the list and
// however slow the caller. Each thread has its own state (buffers, surfaces),
// made by the caller before any work starts.
//
// The caller's Deliver returns false to end the run (a failure, say); a stop
// request ends it too. Either way no new index is started, the ones in hand
// are finished and dropped, and Run returns once every thread has ended.
template <class State, class Result> class OrderedPool {
public:
    struct Counts {
        std::size_t peakInFlight = 0; // the most indices ever taken and not yet handed over
        bool stopped = false;         // a stop request ended the run
    };

    // `states` holds one state per thread. Work(State&, index) -> Result must
    // not throw. Deliver(index, Result&&) -> bool runs on the calling thread;
    // an error it throws ends the run like a false and leaves Run once the
    // threads have ended.
    template <class Work, class Deliver>
    Counts Run(std::vector<State>& states, std::size_t count, std::size_t capacity, Work work, Deliver deliver,
               std::stop_token stop = {})
    {
        capacity = std::max<std::size_t>(capacity, 1);
        std::vector<std::jthread> threads;
        threads.reserve(states.size());
        for (State& state : states)
            threads.emplace_back([this, &state, count, capacity, &work] { Serve(state, count, capacity, work); });

        Counts counts;
        std::exception_ptr error;
        for (std::size_t next = 0; next < count; ++next) {
            std::unique_lock lock(mutex_);
            if (stop.stop_requested() || !ready_.wait(lock, stop, [&] { return done_.contains(next); })) {
                counts.stopped = true;
                break;
            }
            Result result = std::move(done_.at(next));
            done_.erase(next);
            lock.unlock();
            bool goOn = false;
            try {
                goOn = deliver(next, std::move(result));
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            delivered_ = next + 1;
            room_.notify_all();
            if (!goOn)
                break;
        }
        {
            std::lock_guard lock(mutex_);
            ending_ = true;
            counts.peakInFlight = peakInFlight_;
        }
        room_.notify_all();
        threads.clear(); // joins: the pictures in hand are finished and dropped
        if (error)
            std::rethrow_exception(error);
        return counts;
    }

private:
    template <class Work> void Serve(State& state, std::size_t count, std::size_t capacity, Work& work)
    {
        for (;;) {
            std::size_t index;
            {
                std::unique_lock lock(mutex_);
                room_.wait(lock, [&] { return ending_ || taken_ >= count || taken_ < delivered_ + capacity; });
                if (ending_ || taken_ >= count)
                    return;
                index = taken_++;
                peakInFlight_ = std::max(peakInFlight_, taken_ - delivered_);
            }
            Result result = work(state, index);
            {
                std::lock_guard lock(mutex_);
                done_.emplace(index, std::move(result));
            }
            ready_.notify_one();
        }
    }

    std::mutex mutex_;
    std::condition_variable room_;      // a thread may take another index
    std::condition_variable_any ready_; // a result arrived (or a stop was requested)
    std::map<std::size_t, Result> done_;
    std::size_t taken_ = 0;
    std::size_t delivered_ = 0;
    std::size_t peakInFlight_ = 0;
    bool ending_ = false;
};

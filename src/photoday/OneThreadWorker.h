#pragma once

#include <QFuture>
#include <QPromise>
#include <QString>

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

// Work done one task after another on a thread of its own, so that the
// window stays smooth meanwhile, with a tool made on that thread at the first
// task (the face models take a moment to load) and kept for the next ones.
// The tasks never run side by side: the tool needs no lock. Destroying the
// worker waits for the tasks given to it. The tasks are handed over under a
// standard mutex (not through a QThreadPool, whose hand-off inside Qt's
// library ThreadSanitizer cannot see), so the thread tests judge it.
template <class Tool> class OneThreadWorker {
public:
    // How the tool is made; what it throws is handed to every task.
    using MakeTool = std::function<std::unique_ptr<Tool>()>;

    explicit OneThreadWorker(MakeTool makeTool) : makeTool_(std::move(makeTool)), thread_([this] { Work(); }) { }
    ~OneThreadWorker()
    {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    OneThreadWorker(const OneThreadWorker&) = delete;
    OneThreadWorker& operator=(const OneThreadWorker&) = delete;

    // Runs task(tool, whyNot) on the worker and gives its result when it is
    // ready: the tool, or nullptr and why it could not be made. The task
    // must not throw.
    //
    // The result comes through a promise of its own rather than from
    // QtConcurrent::run: a thread waiting for such a future runs the task
    // itself when the worker has not started it yet, and the tool would be
    // used on two threads at once (a check waited for by the window while
    // the worker describes the next student's site photo).
    template <class Task> auto Run(Task task)
    {
        using Result = decltype(task(static_cast<Tool*>(nullptr), QString()));
        auto promise = std::make_shared<QPromise<Result>>();
        QFuture<Result> result = promise->future();
        promise->start();
        {
            const std::lock_guard lock(mutex_);
            tasks_.emplace_back([this, promise, task = std::move(task)]() mutable {
                Tool* tool = ToolOnWorker();
                promise->addResult(task(tool, whyNot_));
                promise->finish();
            });
        }
        wake_.notify_one();
        return result;
    }

private:
    // The worker's loop: the tasks in the order given, until the worker is
    // destroyed and none is left.
    void Work()
    {
        for (;;) {
            std::function<void()> next;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
                if (tasks_.empty())
                    return;
                next = std::move(tasks_.front());
                tasks_.pop_front();
            }
            next();
        }
    }

    Tool* ToolOnWorker()
    {
        if (!tried_) {
            tried_ = true;
            try {
                tool_ = makeTool_();
            } catch (const std::exception& error) {
                whyNot_ = QString::fromUtf8(error.what());
            }
        }
        return tool_.get();
    }

    const MakeTool makeTool_;
    // Touched on the worker only.
    std::unique_ptr<Tool> tool_;
    QString whyNot_;
    bool tried_ = false;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    // Declared last: started when everything it touches is made; joined in
    // the destructor, before the tool goes.
    std::thread thread_;
};

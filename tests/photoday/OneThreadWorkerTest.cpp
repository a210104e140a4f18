// The worker that the checks of a grab and the reading of cards run on: one
// task after the other on its own thread, also when the window waits for a
// result the worker has not begun (Qt's own futures would run that task on
// the waiting thread, beside the one in hand, on the same tool).
#include "photoday/OneThreadWorker.h"

#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace {

// A tool that notes when it is used on two threads at once.
struct Tool {
    std::atomic<int> users{0};
    std::atomic<bool> sharedAtOnce{false};

    void Use(std::chrono::milliseconds howLong)
    {
        if (++users > 1)
            sharedAtOnce = true;
        std::this_thread::sleep_for(howLong);
        --users;
    }
};

TEST(OneThreadWorker, AWaitedTaskRunsOnTheWorkerAfterTheOneInHand)
{
    Tool* made = nullptr;
    QThread* madeOn = nullptr;
    OneThreadWorker<Tool> worker([&] {
        madeOn = QThread::currentThread();
        auto tool = std::make_unique<Tool>();
        made = tool.get();
        return tool;
    });
    // The worker busy with a site photo, the window waiting for a check.
    worker.Run([](Tool* tool, const QString&) {
        tool->Use(std::chrono::milliseconds(200));
        return 0;
    });
    QFuture<QThread*> waited = worker.Run([](Tool* tool, const QString&) {
        tool->Use(std::chrono::milliseconds(1));
        return QThread::currentThread();
    });
    waited.waitForFinished();
    EXPECT_NE(waited.result(), QThread::currentThread()) << "run on the waiting thread";
    EXPECT_EQ(waited.result(), madeOn);
    ASSERT_NE(made, nullptr);
    EXPECT_FALSE(made->sharedAtOnce);
}

TEST(OneThreadWorker, EveryTaskHearsWhyThereIsNoTool)
{
    OneThreadWorker<Tool> worker([]() -> std::unique_ptr<Tool> { throw std::runtime_error("模型无法载入"); });
    for (int task = 0; task < 2; ++task) {
        const QString heard =
            worker.Run([](Tool* tool, const QString& whyNot) { return tool ? QString() : whyNot; }).result();
        EXPECT_EQ(heard, QStringLiteral("模型无法载入"));
    }
}

} // namespace

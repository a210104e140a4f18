#include "resize/BackgroundResize.h"

#include <QMetaObject>

#include <utility>

BackgroundResize::BackgroundResize(QObject* parent) : QObject(parent) { }

BackgroundResize::~BackgroundResize()
{
    if (Running())
        StopAndWait();
}

void BackgroundResize::Start(BatchResizeJob job)
{
    if (Running())
        return;
    outcome_ = {};
    const int run = ++run_;
    thread_ = std::jthread([this, run, job = std::move(job)](std::stop_token stop) {
        ResizeOutcome outcome;
        try {
            outcome.report = RunBatchResize(
                job,
                [this](int sequenceNumber, int total) {
                    QMetaObject::invokeMethod(
                        this, [this, sequenceNumber, total] { emit Progress(sequenceNumber, total); },
                        Qt::QueuedConnection);
                },
                std::move(stop));
            if (outcome.report.stopped)
                outcome.ending = ResizeOutcome::Ending::Stopped;
        } catch (const EResizeFoldersNotChosen&) {
            outcome.ending = ResizeOutcome::Ending::FoldersNotChosen;
        } catch (const EResizeFailed& failure) {
            outcome.ending = ResizeOutcome::Ending::Failed;
            outcome.cause = failure.Cause();
            outcome.refused = failure.SequenceNumber() == 0;
            // The outputs before the picture it stopped at were written.
            outcome.report.written = std::max(failure.SequenceNumber() - 1, 0);
        } catch (const EResizeWouldOverwrite& refusal) {
            outcome.ending = ResizeOutcome::Ending::Failed;
            outcome.cause = QString::fromStdString(refusal.what());
            outcome.refused = true;
        }
        outcome_ = std::move(outcome);
        QMetaObject::invokeMethod(
            this, [this, run] { Conclude(run); }, Qt::QueuedConnection);
    });
}

void BackgroundResize::Conclude(int run)
{
    // A run already stopped and waited for has been concluded by its caller.
    if (run != run_ || !Running())
        return;
    thread_.join();
    emit Finished(outcome_);
}

ResizeOutcome BackgroundResize::StopAndWait()
{
    if (!Running())
        return {ResizeOutcome::Ending::Stopped, {}};
    thread_.request_stop();
    thread_.join();
    return outcome_;
}

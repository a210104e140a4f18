#include "assignment/checks/FaceReview.h"

#include "assignment/checks/FaceChecks.h"

#include <exception>

FaceExamination SurveyAndCheckFaces(SurveySetup setup)
{
    return [setup = std::move(setup)](AssignmentPlan& plan, const SurveyProgress& progress,
                                      const std::atomic<bool>& stop) {
        const FaceSurvey survey = SurveyFaces(plan, setup, progress, &stop);
        if (stop)
            return QStringList();
        return ApplyFaceChecks(plan, survey);
    };
}

FaceExamination SurveyAndCheckFaces(std::filesystem::path faceModel, int threads)
{
    return SurveyAndCheckFaces(
        SurveySetup{.cascadeFile = std::move(faceModel), .descriptorModel = {}, .threads = threads});
}

FaceReview::FaceReview(FaceExamination examination) : examination_(std::move(examination)) { }

FaceReview::FaceReview(std::filesystem::path faceModel, int threads)
    : FaceReview(SurveyAndCheckFaces(std::move(faceModel), threads))
{
}

FaceReview::~FaceReview()
{
    Stop();
}

void FaceReview::Start(const AssignmentPlan& plan, FaceReviewListener listener)
{
    if (started_)
        return;
    started_ = true;
    thread_ = std::thread(
        [this, plan = plan, listener = std::move(listener)]() mutable { Review(std::move(plan), listener); });
}

void FaceReview::Review(AssignmentPlan plan, const FaceReviewListener& listener)
{
    QStringList shiftNotices;
    try {
        shiftNotices = examination_(
            plan, [&](qsizetype done, qsizetype total) { Report(done, total, listener); }, stop_);
    } catch (const std::exception& error) {
        // The run may still go on, as without the detector's model: the
        // faces were not looked at, and the plan says so.
        plan.notices << FacesNotCheckedNotice(QString::fromUtf8(error.what()));
        shiftNotices.clear();
    }
    bool finished = false;
    {
        const std::lock_guard lock(mutex_);
        if (!stop_) {
            result_ = ReviewedPlan{std::move(plan), std::move(shiftNotices)};
            finished = true;
        }
        ended_ = true;
    }
    endedChanged_.notify_all();
    if (finished && listener.finished)
        listener.finished();
}

void FaceReview::Report(qsizetype done, qsizetype total, const FaceReviewListener& listener)
{
    total_ = total;
    // The examination's threads may report out of order: the count only grows.
    qsizetype before = done_.load();
    while (before < done && !done_.compare_exchange_weak(before, done)) { }
    if (listener.progress)
        listener.progress({done_.load(), total});
}

bool FaceReview::Finished() const
{
    const std::lock_guard lock(mutex_);
    return ended_ && result_.has_value();
}

bool FaceReview::WaitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return endedChanged_.wait_for(lock, timeout, [this] { return ended_ || !started_; });
}

void FaceReview::Stop()
{
    stop_ = true;
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

std::optional<ReviewedPlan> FaceReview::Result()
{
    std::unique_lock lock(mutex_);
    endedChanged_.wait(lock, [this] { return ended_ || !started_; });
    return result_;
}

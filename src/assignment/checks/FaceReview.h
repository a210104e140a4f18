#pragma once

#include "assignment/checks/FaceSurvey.h"
#include "assignment/plan/AssignmentPlan.h"

#include <QStringList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// Looking at the faces of a plan's photos before the plan is shown or run,
// in the background: the proof sheet shows its progress and then its
// findings, the command line waits for it. Either way the plan that runs is
// the plan the review gave back.

// A plan after its faces were looked at: the checks' warnings on its rows,
// their notices under its summary, and apart the notices of rows that look
// shifted against their codes, which the user must confirm having looked at
// before the plan may run.
struct ReviewedPlan {
    AssignmentPlan plan;
    QStringList shiftNotices; // also among plan.notices
    bool MustConfirmShifts() const { return !shiftNotices.isEmpty(); }
};

// How a review looks at a plan's faces: it adds its warnings and notices to
// `plan` and returns the notices of shifted rows. It runs on the review's
// thread (and may run threads of its own), tells `progress` of the photos
// done, and ends soon once `stop` is set; what it returns then is dropped.
using FaceExamination =
    std::function<QStringList(AssignmentPlan& plan, const SurveyProgress& progress, const std::atomic<bool>& stop)>;

// The survey (FaceSurvey.h) as `setup` says, then the checks (FaceChecks.h).
FaceExamination SurveyAndCheckFaces(SurveySetup setup);
// With detectors loaded from `faceModel` and the describer's model beside
// the program, on `threads` threads (0: one per core).
FaceExamination SurveyAndCheckFaces(std::filesystem::path faceModel, int threads = 0);

// How far a review has come: photos looked at, of how many (0 until the
// examination has counted them).
struct ReviewProgress {
    qsizetype done = 0;
    qsizetype total = 0;
};

// What a review tells as it goes, called on the review's threads, never on
// the one that started it.
struct FaceReviewListener {
    std::function<void(ReviewProgress progress)> progress = {};
    // Once, when the result is ready (never for a review stopped before).
    std::function<void()> finished = {};
};

// One review of one plan, on a thread of its own, which the review holds
// for its whole life: the destructor stops it and waits for the thread.
class FaceReview {
public:
    explicit FaceReview(FaceExamination examination);
    // The survey and the checks (SurveyAndCheckFaces).
    explicit FaceReview(std::filesystem::path faceModel, int threads = 0);
    ~FaceReview();
    FaceReview(const FaceReview&) = delete;
    FaceReview& operator=(const FaceReview&) = delete;

    // Starts looking at a copy of `plan`. A review starts once; later calls
    // do nothing. Start, Stop and the destructor belong to the thread that
    // owns the review; the rest may be called from any thread.
    void Start(const AssignmentPlan& plan, FaceReviewListener listener = {});

    ReviewProgress Progress() const { return {done_.load(), total_.load()}; }
    // Whether the review has ended with a result.
    bool Finished() const;

    // Waits at most `timeout` for the review to end; whether it has.
    bool WaitFor(std::chrono::milliseconds timeout);

    // Asks a review under way to end and waits for its thread: at most the
    // photos in hand are finished. A review stopped before it finished has
    // no result; one that had finished keeps it.
    void Stop();

    // Waits for the review to end: the reviewed plan, or nothing when the
    // review was stopped first or never started. An examination that fails
    // leaves the plan with a notice that its faces were not looked at.
    std::optional<ReviewedPlan> Result();

private:
    void Review(AssignmentPlan plan, const FaceReviewListener& listener);
    void Report(qsizetype done, qsizetype total, const FaceReviewListener& listener);

    FaceExamination examination_;
    std::atomic<bool> started_{false};
    std::atomic<bool> stop_{false};
    std::atomic<qsizetype> done_{0};
    std::atomic<qsizetype> total_{0};
    mutable std::mutex mutex_;
    std::condition_variable endedChanged_;
    bool ended_ = false;                 // guarded by mutex_
    std::optional<ReviewedPlan> result_; // guarded by mutex_
    std::thread thread_;
};

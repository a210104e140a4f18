// The face review in the background: its result is the plan its examination
// gave back, it reports progress, stops when asked (also by going out of
// scope) and never ends the program when the examination fails. The
// examinations here are made, so that the review is tried apart from how
// faces are compared (FaceChecksTest.cpp tries that).
#include "assignment/checks/FaceReview.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

const QString kShift = QStringLiteral("第 2–3 行的照片可能整体错位一行（新照片更像下一行学生现有的照片），请逐一核对");

AssignmentPlan Plan(int rows)
{
    AssignmentPlan plan;
    for (int i = 0; i < rows; ++i) {
        PlanRow row;
        row.line = i + 1;
        row.code = QStringLiteral("S%1").arg(i + 1);
        plan.rows << row;
    }
    return plan;
}

// Looks at every row, warns of no face on the second and tells of a shift.
QStringList WarnSecondRowAndTellAShift(AssignmentPlan& plan, const SurveyProgress& progress, const std::atomic<bool>&)
{
    for (qsizetype i = 0; i < plan.rows.size(); ++i)
        progress(i + 1, plan.rows.size());
    plan.rows[1].warnings |= PlanWarning::NoFace;
    plan.notices << kShift;
    return {kShift};
}

// An examination that has begun and goes on until it is stopped.
struct EndlessExamination {
    std::atomic<bool> begun{false};
    std::atomic<bool> sawStop{false};

    FaceExamination Examination()
    {
        return [this](AssignmentPlan& plan, const SurveyProgress& progress, const std::atomic<bool>& stop) {
            progress(1, plan.rows.size());
            begun = true;
            while (!stop)
                std::this_thread::yield();
            sawStop = true;
            return QStringList{kShift};
        };
    }
    void WaitUntilBegun() const
    {
        while (!begun)
            std::this_thread::yield();
    }
};

TEST(FaceReview, TheResultIsThePlanAsTheExaminationGaveItBackWithItsShiftNotices)
{
    const AssignmentPlan plan = Plan(3);
    std::mutex mutex;
    QList<qsizetype> reported;
    int finished = 0;
    FaceReview review(WarnSecondRowAndTellAShift);
    EXPECT_FALSE(review.Finished());
    review.Start(plan, {[&](ReviewProgress progress) {
                            const std::lock_guard lock(mutex);
                            reported << progress.done;
                            EXPECT_EQ(progress.total, 3);
                        },
                        [&] {
                            const std::lock_guard lock(mutex);
                            ++finished;
                        }});

    const std::optional<ReviewedPlan> reviewed = review.Result();
    ASSERT_TRUE(reviewed);
    EXPECT_TRUE(review.Finished());
    EXPECT_EQ(reviewed->plan.rows[1].warnings, PlanWarnings(PlanWarning::NoFace));
    EXPECT_EQ(reviewed->plan.rows[0].warnings, PlanWarnings());
    EXPECT_EQ(reviewed->plan.notices, QStringList{kShift});
    EXPECT_EQ(reviewed->shiftNotices, QStringList{kShift});
    EXPECT_TRUE(reviewed->MustConfirmShifts());
    // The plan handed in is not changed: the review works on its own copy.
    EXPECT_EQ(plan.rows[1].warnings, PlanWarnings());
    EXPECT_EQ(review.Progress().done, 3);
    EXPECT_EQ(review.Progress().total, 3);
    review.Stop(); // the thread has ended: nothing is reported after this
    const std::lock_guard lock(mutex);
    EXPECT_EQ(reported, (QList<qsizetype>{1, 2, 3}));
    EXPECT_EQ(finished, 1);
    // Stopping a review that had finished keeps its result.
    EXPECT_TRUE(review.Result());
}

TEST(FaceReview, WarningsWithoutShiftsNeedNoConfirmation)
{
    FaceReview review([](AssignmentPlan& plan, const SurveyProgress&, const std::atomic<bool>&) {
        plan.rows[0].warnings |= PlanWarning::Blurred;
        return QStringList();
    });
    review.Start(Plan(2));
    const std::optional<ReviewedPlan> reviewed = review.Result();
    ASSERT_TRUE(reviewed);
    EXPECT_TRUE(reviewed->plan.HasWarnings());
    EXPECT_FALSE(reviewed->MustConfirmShifts());
}

TEST(FaceReview, StoppedBeforeItFinishesItEndsWithoutAResult)
{
    EndlessExamination endless;
    bool finishedTold = false;
    FaceReview review(endless.Examination());
    review.Start(Plan(5), {{}, [&] { finishedTold = true; }});
    endless.WaitUntilBegun();
    EXPECT_EQ(review.Progress().done, 1);
    EXPECT_EQ(review.Progress().total, 5);

    review.Stop();

    EXPECT_TRUE(endless.sawStop);
    EXPECT_FALSE(review.Finished());
    EXPECT_FALSE(review.Result());
    EXPECT_FALSE(finishedTold);
}

TEST(FaceReview, AReviewGoingOutOfScopeStopsAndWaitsForItsThread)
{
    EndlessExamination endless;
    {
        FaceReview review(endless.Examination());
        review.Start(Plan(2));
        endless.WaitUntilBegun();
    }
    EXPECT_TRUE(endless.sawStop);

    // Never started: no result, and nothing to wait for.
    FaceReview idle(endless.Examination());
    EXPECT_FALSE(idle.Result());
    EXPECT_TRUE(idle.WaitFor(std::chrono::milliseconds(0)));
}

TEST(FaceReview, AFailingExaminationLeavesANoticeThatTheFacesWereNotLookedAt)
{
    FaceReview review([](AssignmentPlan&, const SurveyProgress&, const std::atomic<bool>&) -> QStringList {
        throw std::runtime_error("人脸比较失败");
    });
    review.Start(Plan(2));
    const std::optional<ReviewedPlan> reviewed = review.Result();
    ASSERT_TRUE(reviewed);
    EXPECT_EQ(reviewed->plan.notices, QStringList{QStringLiteral("没有检查照片中的人脸：人脸比较失败")});
    EXPECT_FALSE(reviewed->MustConfirmShifts());
}

TEST(FaceReview, TheSurveyAndChecksTellWhenTheDetectorCannotBeLoaded)
{
    AssignmentPlan plan = Plan(1);
    plan.rows[0].source = QStringLiteral("/nonexistent/1.jpg");
    FaceReview review(std::filesystem::path("/nonexistent/face-model.xml"), 1);
    review.Start(plan);
    const std::optional<ReviewedPlan> reviewed = review.Result();
    ASSERT_TRUE(reviewed);
    ASSERT_EQ(reviewed->plan.notices.size(), 1);
    EXPECT_TRUE(reviewed->plan.notices[0].startsWith(QStringLiteral("没有检查照片中的人脸：")))
        << reviewed->plan.notices[0].toStdString();
    EXPECT_FALSE(reviewed->MustConfirmShifts());
}

} // namespace

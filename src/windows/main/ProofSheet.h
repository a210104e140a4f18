#pragma once

#include "assignment/checks/FaceReview.h"
#include "assignment/plan/AssignmentPlan.h"
#include "assignment/views/PlanRowView.h"
#include "widgets/CutTextTips.h"
#include "widgets/WindowControls.h"
#include "windows/main/ProofSheetModel.h"
#include "windows/main/ThumbnailCache.h"

#include "ui_ProofSheet.h"

#include <QDialog>

#include <optional>

// The proof sheet ("核对"): what a run is about to do, shown before anything
// is written. Counts and warnings at the top, one grid row per student with
// the new photo and the present one, rows with warnings first. "确定设置"
// accepts the plan, "取消" (the default, also Esc) rejects it.
//
// The face review (FaceReview.h) reads every photo, which takes a while for
// thousands: it starts when the sheet is shown, its progress shows in the
// summary, its warnings join the rows when it is done, and "确定设置" waits
// for it. When it finds rows that look shifted, it waits further until the
// user ticks "我已核对错位提示". Closing the sheet stops the review. The plan
// approved is the plan as the review gave it back (ShownPlan).
class TProofSheet : public QDialog {
    Q_OBJECT
public:
    // Thumbnails are this size at most.
    static constexpr QSize kThumbnailBox{60, 90};
    // It opens at nine tenths of its screen's free area, and not smaller
    // than this where the screen has room.
    static constexpr QSize kSmallestSize{760, 560};
    // No column is sized wider than this many average characters to fit
    // its widest text; a longer text is cut and shown whole as a tool tip.
    static constexpr int kWidestColumnCharacters = 40;

    // The review looks at the faces with `examination` (SurveyAndCheckFaces
    // in the program).
    TProofSheet(const AssignmentPlan& plan, FaceExamination examination, QWidget* parent = nullptr);
    // Stops the review and waits for its thread.
    ~TProofSheet() override;

    // Whether the review has ended (FacesChecked said so).
    bool FacesAreChecked() const { return facesChecked_; }
    // The plan as the sheet shows it: once the faces are checked, the plan
    // the review gave back, which is the one "确定设置" approves.
    const AssignmentPlan& ShownPlan() const { return shown_; }

    // Stops the review as the sheet closes, however it closes.
    void done(int result) override;

signals:
    void FacesChecked();

protected:
    void showEvent(QShowEvent* event) override;

private:
    friend struct WindowControls<TProofSheet>;

    // Sizes each column to its widest text (and thumbnail), up to a limit;
    // the warnings, last, take what the window leaves.
    void FitColumnsToContent();
    void StartFaceReview();
    void ShowProgress(ReviewProgress progress);
    // Takes the review's result into the sheet: its warnings and notices,
    // and the tick box when rows look shifted.
    void TakeFaceReview();
    void ShowSummary(const QString& more);
    void EnableApproval();

    AssignmentPlan shown_; // the plan, with the review's warnings once it is done
    bool facesChecked_ = false;
    bool mustConfirmShifts_ = false;
    FaceReview review_;
    ThumbnailCache thumbnails_;
    ProofSheetModel model_;
    CutTextTips cutTextTips_;
    Ui::TProofSheet ui;
};

// Asks the user whether a run may go on with its plan.
class PlanReview {
public:
    virtual ~PlanReview() = default;
    // The plan to carry out, as the user approved it (the review may have
    // added warnings and notices), or nothing when the user declined.
    virtual std::optional<AssignmentPlan> Approve(QWidget* owner, const AssignmentPlan& plan) = 0;
};

// The proof sheet, shown modally, its faces looked at with `examination`.
class ProofSheetReview final : public PlanReview {
public:
    explicit ProofSheetReview(FaceExamination examination) : examination_(std::move(examination)) { }
    void UseFaceExamination(FaceExamination examination) { examination_ = std::move(examination); }
    std::optional<AssignmentPlan> Approve(QWidget* owner, const AssignmentPlan& plan) override;

private:
    FaceExamination examination_;
};

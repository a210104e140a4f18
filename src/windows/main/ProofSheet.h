#pragma once

#include "assignment/checks/FaceChecks.h"
#include "assignment/plan/AssignmentPlan.h"
#include "assignment/views/PlanRowView.h"
#include "widgets/WindowControls.h"
#include "windows/main/ProofSheetModel.h"
#include "windows/main/ThumbnailCache.h"

#include "ui_ProofSheet.h"

#include <QDialog>

#include <array>
#include <atomic>
#include <filesystem>
#include <thread>

// The proof sheet ("核对"): what a run is about to do, shown before anything
// is written. Counts and warnings at the top, one grid row per student with
// the new photo and the present one, rows with warnings first. "确定设置"
// accepts the plan, "取消" (the default, also Esc) rejects it.
//
// The face checks (FaceChecks.h) read every photo, which takes a while for
// thousands: they run in the background once the sheet is shown, their
// warnings join the rows when they are done, and "确定设置" waits for them.
// When they find rows that look shifted, it waits further until the user
// ticks "我已核对错位提示".
class TProofSheet : public QDialog {
    Q_OBJECT
public:
    // Thumbnails are this size at most.
    static constexpr QSize kThumbnailBox{60, 90};
    // It opens at nine tenths of its screen's free area, and not smaller
    // than this where the screen has room.
    static constexpr QSize kSmallestSize{760, 560};

    // The face checks load their detector from `faceModel`.
    explicit TProofSheet(const AssignmentPlan& plan, QWidget* parent = nullptr,
                         std::filesystem::path faceModel = DefaultFaceModel());
    // Stops the face checks and waits for them.
    ~TProofSheet() override;

    static std::filesystem::path DefaultFaceModel();
    // Whether the face checks have ended (FacesChecked said so).
    bool FacesAreChecked() const { return facesChecked_; }
    // Takes the face checks' result into the sheet: their warnings and
    // notices, and the tick box when rows look shifted. The background
    // check ends here; tests hand it made results.
    void TakeFaceChecks(const FaceSurvey& survey);

signals:
    void FacesChecked();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend struct WindowControls<TProofSheet>;

    // Gives the photo columns the grid's width beyond what all columns need.
    void WidenPhotoColumns();
    void StartFaceChecks();
    void ShowProgress(qsizetype done, qsizetype total);
    void ShowSummary(const QString& more);
    void EnableApproval();

    AssignmentPlan shown_; // the plan, with the face checks' warnings once they are done
    std::filesystem::path faceModel_;
    bool facesChecked_ = false;
    int shiftNotices_ = 0;
    std::atomic<bool> stopChecks_{false};
    std::thread checks_;
    std::array<int, kPlanColumnCount> typicalWidths_{};
    ThumbnailCache thumbnails_;
    ProofSheetModel model_;
    Ui::TProofSheet ui;
};

// Asks the user whether a run may go on with its plan.
class PlanReview {
public:
    virtual ~PlanReview() = default;
    // True when the user chose to carry the plan out.
    virtual bool Approve(QWidget* owner, const AssignmentPlan& plan) = 0;
};

// The proof sheet, shown modally.
class ProofSheetReview final : public PlanReview {
public:
    bool Approve(QWidget* owner, const AssignmentPlan& plan) override;
};

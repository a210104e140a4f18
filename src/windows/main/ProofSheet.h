#pragma once

#include "assignment/PlanRowView.h"
#include "windows/main/ProofSheetModel.h"
#include "windows/main/ThumbnailCache.h"

#include "ui_ProofSheet.h"

#include <QDialog>

#include <array>

struct AssignmentPlan;

// The proof sheet ("核对"): what a run is about to do, shown before anything
// is written. Counts and warnings at the top, one grid row per student with
// the new photo and the present one, rows with warnings first. "确定设置"
// accepts the plan, "取消" (the default, also Esc) rejects it.
class TProofSheet : public QDialog {
    Q_OBJECT
public:
    // Thumbnails are this size at most.
    static constexpr QSize kThumbnailBox{60, 90};
    // It opens at nine tenths of its screen's free area, and not smaller
    // than this where the screen has room.
    static constexpr QSize kSmallestSize{760, 560};

    // `plan` must outlive the dialog.
    explicit TProofSheet(const AssignmentPlan& plan, QWidget* parent = nullptr);

    Ui::TProofSheet ui;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Gives the photo columns the grid's width beyond what all columns need.
    void WidenPhotoColumns();

    std::array<int, kPlanColumnCount> typicalWidths_{};
    ThumbnailCache thumbnails_;
    ProofSheetModel model_;
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

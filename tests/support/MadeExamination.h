#pragma once
// A made face examination for the face review (FaceReview.h): it edits the
// plan as a review would and tells of the shifted rows it is given, so that
// what uses the review is tried apart from how faces are compared.

#include "assignment/checks/FaceReview.h"

#include <functional>

inline FaceExamination MadeExamination(std::function<void(AssignmentPlan&)> change, QStringList shiftNotices = {})
{
    return [change = std::move(change), shiftNotices](AssignmentPlan& plan, const SurveyProgress& progress,
                                                      const std::atomic<bool>&) {
        progress(plan.rows.size(), plan.rows.size());
        if (change)
            change(plan);
        plan.notices << shiftNotices;
        return shiftNotices;
    };
}

// The change of a review that found the pixels of row `index`'s photo damaged.
inline std::function<void(AssignmentPlan&)> PhotoFoundDamaged(qsizetype index)
{
    return [index](AssignmentPlan& plan) {
        PlanRow& row = plan.rows[index];
        row.photo.kind = PhotoFacts::Kind::Unreadable;
        row.photo.problem = QStringLiteral("像素无法解码");
        row.warnings |= PlanWarning::UnreadablePhoto;
    };
}

#include "assignment/plan/AssignmentPlan.h"

#include <algorithm>

qsizetype AssignmentPlan::Count(PlanWarning warning) const
{
    return std::count_if(rows.cbegin(), rows.cend(),
                         [warning](const PlanRow& row) { return row.warnings.testFlag(warning); });
}

RemarkWeight WeightOf(PlanWarning warning)
{
    return std::find(std::cbegin(kNoticeKinds), std::cend(kNoticeKinds), warning) != std::cend(kNoticeKinds)
               ? RemarkWeight::Notice
               : RemarkWeight::Warning;
}

bool HasWarning(const PlanRow& row)
{
    return std::any_of(std::cbegin(kAllPlanWarnings), std::cend(kAllPlanWarnings), [&row](PlanWarning warning) {
        return row.warnings.testFlag(warning) && WeightOf(warning) == RemarkWeight::Warning;
    });
}

bool AssignmentPlan::HasWarnings() const
{
    return !notices.isEmpty()
           || std::any_of(rows.cbegin(), rows.cend(), [](const PlanRow& row) { return HasWarning(row); });
}

QList<qsizetype> AssignmentPlan::ProofOrder() const
{
    QList<qsizetype> order(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        order[i] = i;
    // 0 for rows with warnings, 1 for rows with only notices, 2 for the rest.
    const auto group = [this](qsizetype i) {
        return HasWarning(rows[i]) ? 0 : rows[i].warnings != PlanWarnings() ? 1 : 2;
    };
    std::stable_sort(order.begin(), order.end(), [&group](qsizetype a, qsizetype b) { return group(a) < group(b); });
    return order;
}

bool IsOddPhotoShape(int width, int height)
{
    if (width <= 0 || height <= 0)
        return false;
    // 2:3 is 0.667; 3:4 portraits (0.75) pass, squares and landscapes do not.
    const double ratio = static_cast<double>(width) / height;
    return ratio > 6.0 / 7.0 || ratio < 0.5;
}

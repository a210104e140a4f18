#include "assignment/plan/AssignmentPlan.h"

#include <algorithm>

qsizetype AssignmentPlan::Count(PlanWarning warning) const
{
    return std::count_if(rows.cbegin(), rows.cend(),
                         [warning](const PlanRow& row) { return row.warnings.testFlag(warning); });
}

bool AssignmentPlan::HasWarnings() const
{
    return !notices.isEmpty() || std::any_of(rows.cbegin(), rows.cend(), [](const PlanRow& row) {
        return row.warnings != PlanWarnings();
    });
}

QList<qsizetype> AssignmentPlan::ProofOrder() const
{
    QList<qsizetype> order(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        order[i] = i;
    std::stable_partition(order.begin(), order.end(),
                          [this](qsizetype i) { return rows[i].warnings != PlanWarnings(); });
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

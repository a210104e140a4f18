#include "cli/PlanTable.h"

#include "assignment/AssignmentPlan.h"
#include "assignment/PlanRowView.h"
#include "cli/TextTable.h"

QString PlanTable(const AssignmentPlan& plan)
{
    QStringList header;
    for (int c = 0; c < kPlanColumnCount; ++c)
        header << PlanColumnTitle(static_cast<PlanColumn>(c));
    QList<QStringList> rows;
    rows.reserve(plan.rows.size());
    for (const PlanRow& row : plan.rows) {
        const PlanRowView view = ViewOfPlanRow(row);
        QStringList cells;
        for (const PlanCell& cell : view.cells)
            cells << cell.text;
        rows << cells;
    }
    return TextTable(header, rows) + QStringLiteral("\n\n") + PlanSummary(plan);
}

#include "cli/PlanTable.h"

#include "assignment/plan/AssignmentPlan.h"
#include "assignment/views/PlanRowView.h"
#include "cli/TextTable.h"

QString PlanTable(const AssignmentPlan& plan)
{
    QList<PlanColumn> columns;
    QStringList header;
    for (int c = 0; c < kPlanColumnCount; ++c) {
        if (PlanColumnShown(plan, static_cast<PlanColumn>(c))) {
            columns << static_cast<PlanColumn>(c);
            header << PlanColumnTitle(columns.last());
        }
    }
    QList<QStringList> rows;
    rows.reserve(plan.rows.size());
    for (const PlanRow& row : plan.rows) {
        const PlanRowView view = ViewOfPlanRow(row);
        QStringList cells;
        for (const PlanColumn column : std::as_const(columns))
            cells << view[column].text;
        rows << cells;
    }
    return TextTable(header, rows) + QStringLiteral("\n\n") + PlanSummary(plan);
}

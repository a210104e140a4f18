#pragma once

#include <QString>

struct AssignmentPlan;

// The plan as a terminal table (TextTable.h) with the columns of
// PlanRowView.h, one student a line in roster order, then the plan's summary.
QString PlanTable(const AssignmentPlan& plan);

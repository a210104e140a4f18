#pragma once

#include "assignment/plan/AssignmentPlan.h"

#include <optional>

class TADOQuery;

// Either the plan, or why there is none (a refusal or a failure reported as
// a run's outcome is).
struct PlanOutcome {
    std::optional<AssignmentPlan> plan;
    AssignmentOutcome stopped;
};

// Makes the plan of a run without writing anything. In order: the three
// input checks, every code usable as a file name, no code and no photo file
// listed twice (the refusal names them and their lines); then the site's
// photo folder and Web.config, the database connection, each photo's header
// and the students' rows, read a few hundred codes per statement. `query` is
// closed afterwards.
PlanOutcome MakeAssignmentPlan(const AssignmentInput& input, TADOQuery& query);

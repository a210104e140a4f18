#pragma once

#include "assignment/plan/AssignmentPlan.h"

#include <QString>

// The particulars of a face check's warning ("向右转 90° 后才找到人脸"),
// from the row's FaceFindings; empty for other warnings.
QString FaceParticulars(PlanWarning warning, const FaceFindings& findings);

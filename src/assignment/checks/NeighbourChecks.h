#pragma once

#include <QStringList>

struct AssignmentPlan;
struct FaceSurvey;

// The face checks that compare a row with its neighbours (FaceChecks.h).

// Warns on a row taken much longer after the row above than the batch's
// photos usually are apart: a student may have been skipped.
void CheckCaptureGaps(AssignmentPlan& plan, const FaceSurvey& survey);

// Warns on a row whose face is far nearer the row above's than neighbouring
// faces in this batch are: a retake kept beside the photo it replaced.
void CheckRetakes(AssignmentPlan& plan, const FaceSurvey& survey);

// Adds a notice for each run of rows whose new faces look more like the
// current photos of the rows one or two further up or down than like their
// own; returns those notices.
QStringList CheckShiftedRows(AssignmentPlan& plan, const FaceSurvey& survey);

#pragma once

#include <QStringList>

struct AssignmentPlan;
struct FaceSurvey;

// The face checks that compare a row with other rows (FaceChecks.h), on the
// faces' descriptors.

// Warns on a row taken much longer after the row above than the batch's
// photos usually are apart: a student may have been skipped.
void CheckCaptureGaps(AssignmentPlan& plan, const FaceSurvey& survey);

// Warns on a row whose face is near-identical to the row above's
// (FindRepeatedNeighbours): a retake kept beside the photo it replaced.
void CheckRetakes(AssignmentPlan& plan, const FaceSurvey& survey);

// Marks every row of each block whose new faces are the current faces of
// the students one row further (FindShiftedBlocks) and adds a notice naming
// the block's first and last roster lines; returns those notices. Marks the
// other rows whose new face is another student's current face
// (FindOtherStudentsFaces) with those students' lines.
QStringList CheckShiftedRows(AssignmentPlan& plan, const FaceSurvey& survey);

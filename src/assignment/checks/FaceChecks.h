#pragma once

#include "assignment/checks/FaceSurvey.h"

#include <QString>
#include <QStringList>

struct AssignmentPlan;

// The checks that look at the photos themselves: each new photo's face (found
// at all, one, upright, large, lit and sharp enough), and, by the faces'
// descriptors, the new faces against the students' current photos in the
// site (a block of photos shifted against the roster, a photo of another
// student), near-identical neighbours (a retake kept by mistake), and long
// pauses between capture times (a skipped student). Thresholds that depend
// on the camera and the light are taken relative to the batch itself.
// Nothing of the faces is kept after the check.

// Adds the checks' warnings to the rows and their notices to the plan.
// Returns the notices that tell of shifted rows (those the user must
// confirm having looked at); they are among the plan's notices too.
QStringList ApplyFaceChecks(AssignmentPlan& plan, const FaceSurvey& survey);

// The notice of a plan whose faces could not be looked at, and why.
QString FacesNotCheckedNotice(const QString& reason);
// The notice of a plan whose faces were looked at but could not be compared
// (the descriptor's model), and why.
QString FacesNotComparedNotice(const QString& reason);

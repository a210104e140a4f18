#pragma once

#include "assignment/AssignmentTypes.h"

#include <QList>

#include <optional>

struct AssignmentPlan;
struct PlanRow;

// One picture given for two students is a mistake that moves photos onto the
// wrong students, whatever the files are called.

// Photos of the same bytes (one file listed under two names, reached through
// a link or a hard link, or copied): a refusal naming their lines and names,
// or nothing. Files that are no picture are left to their own warning.
std::optional<AssignmentOutcome> RefuseIdenticalPhotos(const QList<PlanRow>& rows);

// Decodes every new photo of the plan, and the current photo file of each of
// its students, with the picture component, several at a time. A new photo
// whose pixels cannot be decoded becomes unreadable (and is never installed);
// each row notes the lines of the other new photos that show the same
// picture (PhotoLook.h) and of the other students whose current photo it
// shows, with their warnings.
void LookAtPictures(AssignmentPlan& plan);

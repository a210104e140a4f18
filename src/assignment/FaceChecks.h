#pragma once

#include "faces/PortraitExamination.h"

#include <QDateTime>
#include <QString>

#include <atomic>
#include <filesystem>
#include <functional>
#include <vector>

struct AssignmentPlan;

// The checks that look at the photos themselves: each new photo's face (found
// at all, one, upright, large, lit and sharp enough), and the faces of
// neighbouring rows against the students' current photos in the site (a
// block of photos shifted against the roster), near-identical neighbours (a
// retake kept by mistake) and long pauses between capture times (a skipped
// student). Thresholds that depend on the camera and the light are taken
// relative to the batch itself. Nothing of the faces is kept after the check.

// One photo as the survey saw it.
struct PhotoLook {
    bool read = false; // false: not a readable picture, not there, or not reached
    PortraitExamination portrait;
    QDateTime captured; // invalid when the photo does not say
};

struct FaceSurvey {
    std::vector<PhotoLook> newPhotos;     // by plan row
    std::vector<PhotoLook> currentPhotos; // by plan row: the site's file the run would replace
    QString unavailable;                  // why no face could be looked for (the detector's model)
};

// Called from the survey's worker threads.
using SurveyProgress = std::function<void(qsizetype done, qsizetype total)>;

// Reads every readable new photo of the plan and every current photo file
// that a row would replace, reduced, on `threads` threads (0: one per core),
// each with its own detector loaded from `cascadeFile`. Setting `stop` ends
// it early, the photos not reached unread.
FaceSurvey SurveyFaces(const AssignmentPlan& plan, const std::filesystem::path& cascadeFile,
                       const SurveyProgress& progress = {}, const std::atomic<bool>* stop = nullptr, int threads = 0);

// Adds the checks' warnings to the rows and their notices to the plan.
// Returns how many notices tell of shifted rows (those the user must
// confirm having looked at).
int ApplyFaceChecks(AssignmentPlan& plan, const FaceSurvey& survey);

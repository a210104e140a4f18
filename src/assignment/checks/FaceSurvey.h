#pragma once

#include "faces/PortraitExamination.h"

#include <QDateTime>
#include <QString>

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <vector>

struct AssignmentPlan;

// What the face checks (FaceChecks.h) read of a plan's photos: each new
// photo and each current photo in the site that a row would replace, looked
// at on a reduced reading, and of each face its descriptor (FaceDescriber.h).
// Only this run holds it; nothing of a face but its descriptor is kept.

// One photo as the survey saw it.
struct SurveyedPhoto {
    bool read = false; // false: not a readable picture, not there, or not reached
    PortraitExamination portrait;
    QDateTime captured; // invalid when the photo does not say
};

struct FaceSurvey {
    std::vector<SurveyedPhoto> newPhotos;     // by plan row
    std::vector<SurveyedPhoto> currentPhotos; // by plan row: the site's file the run would replace
    QString unavailable;                      // why no face could be looked for (the detector's model)
    QString notCompared;                      // why no face was described (the descriptor's model)
    std::size_t described = 0;                // photos the describer was run on (none of the cache's)
};

// What the survey works with.
struct SurveySetup {
    std::filesystem::path cascadeFile;     // the face detector's model
    std::filesystem::path descriptorModel; // empty: the one beside the program (FaceDescriber.h)
    int threads = 0;                       // 0: one per core
    // The data folder that holds each site's descriptor cache
    // (DescriptorCache.h); empty: the current photos are described anew.
    QString dataFolder = {};
};

// Called from the survey's worker threads.
using SurveyProgress = std::function<void(qsizetype done, qsizetype total)>;

// Reads every readable new photo of the plan and every current photo file
// that a row would replace, reduced, on `setup.threads` threads, each with
// its own detector and describer. A current photo whose descriptor the
// site's cache holds is not read at all; the others' are added to it, and
// what no file of the site's photo folder holds any more is taken out of
// it. Setting `stop` ends it early, the photos not reached unread and the
// cache unchanged.
FaceSurvey SurveyFaces(const AssignmentPlan& plan, const SurveySetup& setup, const SurveyProgress& progress = {},
                       const std::atomic<bool>* stop = nullptr);

#pragma once

#include "faces/FaceDetector.h"
#include "photoday/ShotVerdict.h"

#include <QHash>
#include <QString>

#include <filesystem>
#include <memory>

class FaceDescriber;
class TBitmap;

// The photo day's checks of a grab, done on the calling thread: the face
// detector and the face descriptor network, and the faces of the site's
// photos described so far. Like them, not safe to share between threads.
class ShotExaminer {
public:
    // Loads the face detector's model (EFaceDetectorUnavailable when it
    // cannot) and the descriptor network's; without the latter the shots
    // are checked all the same, but never against the site's photos.
    ShotExaminer(const std::filesystem::path& faceModel, const std::filesystem::path& descriptorModel);
    ~ShotExaminer();
    ShotExaminer(const ShotExaminer&) = delete;
    ShotExaminer& operator=(const ShotExaminer&) = delete;

    // The checks of `frame`, the whole camera frame as grabbed, against the
    // student's photo on the site (`sitePhoto`, a file; empty when the site
    // holds none).
    ShotVerdict Check(const TBitmap& frame, const QString& sitePhoto);

    // The face of a photo of the site, described at its first use and kept:
    // a student's photo is described once however often they are taken.
    const SiteFace& FaceOfSitePhoto(const QString& sitePhoto);

private:
    FaceDetector detector_;
    std::unique_ptr<FaceDescriber> describer_;
    QString noDescriber_; // why there is none
    QHash<QString, SiteFace> siteFaces_;
};

#pragma once

#include "picture/TColor.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

class TBitmap;

namespace cv {
class CascadeClassifier;
}

// The face detector's model could not be loaded; what() names the file.
class EFaceDetectorUnavailable : public std::runtime_error {
public:
    explicit EFaceDetectorUnavailable(const std::string& message) : std::runtime_error(message) { }
};

// Finds frontal faces with OpenCV's cascade classifier and its frontal-face
// cascade. A classifier is not safe to share between threads: make one
// detector per thread.
class FaceDetector {
public:
    // The model of the running program (FaceModel.h). The programs take
    // another from STUDENT_PHOTO_FACE_CASCADE (ProgramSettings.h).
    static std::filesystem::path DefaultCascadeFile();
    // Give the detector a grey picture at least this large on its shorter
    // side (a larger one is reduced first); it finds faces down to an eighth
    // of that side.
    static constexpr std::int32_t kWorkingShortSide = 160;

    explicit FaceDetector(const std::filesystem::path& cascadeFile = DefaultCascadeFile());
    FaceDetector(const FaceDetector&) = delete;
    FaceDetector& operator=(const FaceDetector&) = delete;
    ~FaceDetector();

    // The largest face in `picture`, looked for in its grey levels, as a box
    // in its pixel coordinates; nothing when no face is found or the picture
    // has no pixels.
    std::optional<TRect> LargestFace(const TBitmap& picture);
    // Every face found, largest first, looked for as above in a copy whose
    // shorter side is `lookShortSide` (a larger one finds smaller faces, at
    // the square of the cost).
    std::vector<TRect> Faces(const TBitmap& picture, std::int32_t lookShortSide = kWorkingShortSide);

private:
    std::unique_ptr<cv::CascadeClassifier> cascade_;
};

#include "faces/FaceDetector.h"

#include "faces/FaceModel.h"
#include "picture/GreyLevels.h"
#include "picture/TBitmap.h"

#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>

#include <algorithm>
#include <vector>

namespace {

// The detector looks at a copy whose shorter side is 160 pixels, for faces
// of at least 20 pixels there (the cascade's own window): an eighth of the
// picture's shorter side, small enough for the people of a group photo.
// Larger copies find no more faces in portraits and cost the square of
// their size; smaller ones mistake jackets and hands for faces. Steps of 1.2
// between the face sizes tried found the same faces as 1.1 in the test
// photos, in two thirds of the time.
constexpr int kLookShortSide = FaceDetector::kWorkingShortSide;
constexpr int kSmallestFace = 20;
constexpr double kScaleStep = 1.2;
constexpr int kNeighbours = 3;

} // namespace

std::filesystem::path FaceDetector::DefaultCascadeFile()
{
    return FaceModelFile(RunningProgramFolder());
}

FaceDetector::FaceDetector(const std::filesystem::path& cascadeFile)
    : cascade_(std::make_unique<cv::CascadeClassifier>())
{
    // A missing file is told here, not in OpenCV's own log on standard error.
    std::error_code error;
    if (!std::filesystem::is_regular_file(cascadeFile, error))
        throw EFaceDetectorUnavailable("人脸检测模型无法载入：" + Utf8Name(cascadeFile));
    bool loaded = false;
    try {
        loaded = cascade_->load(OpenCvFileName(cascadeFile));
    } catch (const cv::Exception&) {
        loaded = false;
    }
    if (!loaded || cascade_->empty())
        throw EFaceDetectorUnavailable("人脸检测模型无法载入：" + Utf8Name(cascadeFile));
}

FaceDetector::~FaceDetector() = default;

std::optional<TRect> FaceDetector::LargestFace(const TBitmap& picture)
{
    std::vector<TRect> faces = Faces(picture);
    if (faces.empty())
        return std::nullopt;
    return faces.front();
}

std::vector<TRect> FaceDetector::Faces(const TBitmap& picture, std::int32_t lookShortSide)
{
    if (picture.Empty())
        return {};
    const std::unique_ptr<TBitmap> grey = GreyLevels(picture);
    // The rows lie one after the other, RowBytes() apart, top row first.
    const cv::Mat levels(grey->Height(), grey->Width(), CV_8UC1, const_cast<std::uint8_t*>(grey->ScanLine(0)),
                         grey->RowBytes());
    const int shortSide = std::min(grey->Width(), grey->Height());
    const double scale = std::min(1.0, static_cast<double>(std::max(lookShortSide, kSmallestFace)) / shortSide);
    cv::Mat small;
    if (scale < 1.0)
        cv::resize(levels, small, cv::Size(), scale, scale, cv::INTER_AREA);
    else
        small = levels.clone();
    cv::equalizeHist(small, small);
    std::vector<cv::Rect> found;
    cascade_->detectMultiScale(small, found, kScaleStep, kNeighbours, 0, cv::Size(kSmallestFace, kSmallestFace));
    std::stable_sort(found.begin(), found.end(),
                     [](const cv::Rect& a, const cv::Rect& b) { return a.area() > b.area(); });
    // Back to the picture's pixels: the copy's sides are the picture's times
    // `scale`, rounded.
    const double toX = static_cast<double>(grey->Width()) / small.cols;
    const double toY = static_cast<double>(grey->Height()) / small.rows;
    std::vector<TRect> faces;
    faces.reserve(found.size());
    for (const cv::Rect& face : found) {
        faces.push_back(TRect{static_cast<std::int32_t>(face.x * toX), static_cast<std::int32_t>(face.y * toY),
                              static_cast<std::int32_t>((face.x + face.width) * toX),
                              static_cast<std::int32_t>((face.y + face.height) * toY)});
    }
    return faces;
}

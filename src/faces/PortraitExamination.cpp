#include "faces/PortraitExamination.h"

#include "faces/FaceDescriber.h"
#include "faces/FaceDetector.h"
#include "picture/GreyLevels.h"
#include "picture/QuarterTurns.h"
#include "picture/TBitmap.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <optional>

namespace {

// A second face counts when it is at least this part of the largest one's
// height: the people of a photo taken together; a face in a poster behind
// the student, or a false find in a patterned jacket, is smaller.
constexpr double kComparableFace = 0.6;
// Small faces are looked for again in a copy this large (faces down to a
// twenty-fourth of the shorter side).
constexpr std::int32_t kSmallFaceShortSide = 3 * FaceDetector::kWorkingShortSide;
// Grey levels that count as near black and near white.
constexpr int kNearBlack = 40;
constexpr int kNearWhite = 225;
// Sharpness is measured on the face at about its size in a 120 x 180 photo.
constexpr int kSharpnessSide = 96;

cv::Mat GreyMat(const TBitmap& picture, std::unique_ptr<TBitmap>& keep)
{
    keep = GreyLevels(picture);
    return cv::Mat(keep->Height(), keep->Width(), CV_8UC1, const_cast<std::uint8_t*>(keep->ScanLine(0)),
                   keep->RowBytes());
}

std::unique_ptr<TBitmap> Turned(const TBitmap& picture, FaceTurn turn)
{
    auto once = [](const TBitmap& source, TurnDirection direction) {
        auto target = std::make_unique<TBitmap>();
        target->SetSize(source.Height(), source.Width());
        DrawQuarterTurned(*target, source, direction);
        return target;
    };
    switch (turn) {
    case FaceTurn::Right:
        return once(picture, TurnDirection::Right);
    case FaceTurn::Left:
        return once(picture, TurnDirection::Left);
    case FaceTurn::Half:
        return once(*once(picture, TurnDirection::Right), TurnDirection::Right);
    case FaceTurn::None:
        break;
    }
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(&picture);
    return copy;
}

bool Overlap(const TRect& a, const TRect& b)
{
    return std::max(a.Left, b.Left) < std::min(a.Right, b.Right)
           && std::max(a.Top, b.Top) < std::min(a.Bottom, b.Bottom);
}

int ComparableFaces(const std::vector<TRect>& faces)
{
    int count = 1;
    for (std::size_t i = 1; i < faces.size(); ++i) {
        // The detector sometimes finds one face twice, a little shifted.
        if (!Overlap(faces[i], faces.front()) && faces[i].Height() >= kComparableFace * faces.front().Height())
            ++count;
    }
    return count;
}

cv::Rect Inside(const TRect& box, const cv::Mat& picture)
{
    return cv::Rect(box.Left, box.Top, box.Width(), box.Height()) & cv::Rect(0, 0, picture.cols, picture.rows);
}

void Measure(PortraitExamination& look, const cv::Mat& grey, const TRect& face)
{
    const cv::Rect box = Inside(face, grey);
    if (box.empty())
        return;
    // The skin: the middle of the box, without hair, background and the
    // box's corners.
    const cv::Rect skin(box.x + box.width / 5, box.y + box.height / 5, std::max(1, box.width * 3 / 5),
                        std::max(1, box.height * 3 / 5));
    const cv::Mat skinPixels = grey(skin & box);
    const double total = static_cast<double>(skinPixels.total());
    look.darkShare = cv::countNonZero(skinPixels <= kNearBlack) / total;
    look.brightShare = cv::countNonZero(skinPixels >= kNearWhite) / total;

    cv::Mat fixed;
    cv::resize(grey(box), fixed, cv::Size(kSharpnessSide, kSharpnessSide), 0, 0, cv::INTER_AREA);
    cv::Mat edges;
    cv::Laplacian(fixed, edges, CV_64F);
    cv::Scalar mean;
    cv::Scalar deviation;
    cv::meanStdDev(edges, mean, deviation);
    look.sharpness = deviation[0] * deviation[0];
}

PortraitExamination Examine(FaceDetector& detector, FaceDescriber* describer, const TBitmap& reduced,
                            PictureSize upright)
{
    PortraitExamination look;
    if (reduced.Empty())
        return look;
    std::unique_ptr<TBitmap> turned;
    const TBitmap* seen = &reduced;
    std::vector<TRect> faces = detector.Faces(reduced);
    if (faces.empty() && std::min(reduced.Width(), reduced.Height()) > FaceDetector::kWorkingShortSide)
        faces = detector.Faces(reduced, kSmallFaceShortSide);
    for (const FaceTurn turn : {FaceTurn::Right, FaceTurn::Left, FaceTurn::Half}) {
        if (!faces.empty())
            break;
        turned = Turned(reduced, turn);
        faces = detector.Faces(*turned);
        if (!faces.empty()) {
            look.turn = turn;
            seen = turned.get();
        }
    }
    if (faces.empty())
        return look;
    look.faces = ComparableFaces(faces);
    look.face = faces.front();
    const double toPhoto =
        static_cast<double>(std::max(upright.Width, upright.Height)) / std::max(reduced.Width(), reduced.Height());
    look.faceHeight = faces.front().Height() * toPhoto;
    std::unique_ptr<TBitmap> greyPixels;
    Measure(look, GreyMat(*seen, greyPixels), faces.front());
    if (describer != nullptr)
        look.descriptor = describer->Describe(*seen, faces.front());
    return look;
}

} // namespace

PortraitExamination ExaminePortrait(FaceDetector& detector, const TBitmap& reduced, PictureSize upright)
{
    return Examine(detector, nullptr, reduced, upright);
}

PortraitExamination ExaminePortrait(FaceDetector& detector, FaceDescriber& describer, const TBitmap& reduced,
                                    PictureSize upright)
{
    return Examine(detector, &describer, reduced, upright);
}

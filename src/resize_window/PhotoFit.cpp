#include "resize_window/PhotoFit.h"

#include "common/faces/FaceDetector.h"
#include "common/faces/FaceFraming.h"
#include "common/picture/PixelGrid.h"
#include "common/picture/TCanvas.h"
#include "common/picture/TBitmap.h"
#include "common/picture/TJPEGImage.h"

#include <cstdint>
#include <stdexcept>

namespace {

// The largest face of the upright picture, in its pixels.
std::optional<TRect> FindFace(TGraphic& picture, FaceDetector& faces)
{
    std::shared_ptr<PixelGrid> grey;
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(&picture)) {
        grey = jpeg->GreyPicture(FaceDetector::kWorkingShortSide);
    } else {
        TBitmap pixels;
        pixels.Assign(&picture);
        grey = GreyOf(pixels);
    }
    const std::optional<TRect> box = faces.LargestFace(*grey);
    if (!box)
        return std::nullopt;
    const std::int64_t width = picture.Width();
    const std::int64_t height = picture.Height();
    auto x = [&](std::int64_t v) { return static_cast<std::int32_t>(v * width / grey->Width()); };
    auto y = [&](std::int64_t v) { return static_cast<std::int32_t>(v * height / grey->Height()); };
    return TRect{x(box->Left), y(box->Top), x(box->Right), y(box->Bottom)};
}

} // namespace

FaceOutcome DrawFitted(TCanvas& surface, const TRect& rect, TGraphic& picture, FitMode mode, FaceDetector* faces)
{
    const PictureSize size{picture.Width(), picture.Height()};
    const PictureSize target{rect.Width(), rect.Height()};
    if (size.Width <= 0 || size.Height <= 0 || target.Width <= 0 || target.Height <= 0)
        return FaceOutcome::NotLooked;
    switch (mode) {
    case FitMode::Stretch:
        surface.StretchDraw(rect, &picture);
        return FaceOutcome::NotLooked;
    case FitMode::Crop:
        surface.StretchDrawRegion(rect, &picture, CentredCrop(size, target));
        return FaceOutcome::NotLooked;
    case FitMode::Face:
        break;
    }
    if (faces == nullptr)
        throw std::invalid_argument("face mode needs a face detector");
    const std::optional<TRect> face = FindFace(picture, *faces);
    surface.StretchDrawRegion(rect, &picture, face ? FaceRegion(size, target, *face) : CentredCrop(size, target));
    return face ? FaceOutcome::Found : FaceOutcome::NotFound;
}

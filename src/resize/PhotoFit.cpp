#include "resize/PhotoFit.h"

#include "faces/FaceDetector.h"
#include "faces/FaceFraming.h"
#include "picture/CentredCrop.h"
#include "picture/ReducedPicture.h"
#include "picture/SmoothDraw.h"
#include "picture/TBitmap.h"
#include "picture/TCanvas.h"
#include "picture/TJPEGImage.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace {

// A box or region of a picture of `from` size in the pixels of one of `to`
// size, truncated.
TRect Scaled(const TRect& rect, PictureSize from, PictureSize to)
{
    auto x = [&](std::int64_t v) { return static_cast<std::int32_t>(v * to.Width / from.Width); };
    auto y = [&](std::int64_t v) { return static_cast<std::int32_t>(v * to.Height / from.Height); };
    return {x(rect.Left), y(rect.Top), x(rect.Right), y(rect.Bottom)};
}

// Face mode. A JPEG photo is read once: the pass that draws crop mode's
// exact pixels also samples an overview of the whole picture, large enough
// that a face region (at least a quarter of the shorter side: the detector's
// smallest faces are an eighth) still has the output's size in it. The face
// is looked for in the overview and, when found, its region is drawn from
// the overview over the crop: each output pixel is still one pixel of the
// photo, taken on the overview's coarser grid.
FaceOutcome DrawAroundFace(TCanvas& surface, const TRect& rect, TGraphic& picture, FaceDetector& faces)
{
    const PictureSize size{picture.Width(), picture.Height()};
    const PictureSize target{rect.Width(), rect.Height()};
    const TRect crop = CentredCrop(size, target);
    auto* jpeg = dynamic_cast<TJPEGImage*>(&picture);
    if (jpeg == nullptr) {
        TBitmap pixels;
        pixels.Assign(&picture);
        const std::optional<TRect> face = faces.LargestFace(pixels);
        surface.StretchDrawRegion(rect, &pixels, face ? FaceRegion(size, target, *face) : crop);
        return face ? FaceOutcome::Found : FaceOutcome::NotFound;
    }
    const std::int32_t wantedShortSide = std::max(FaceDetector::kWorkingShortSide, 4 * target.Height);
    const std::int32_t step = std::max(1, std::min(size.Width, size.Height) / wantedShortSide);
    const PictureSize overviewSize{size.Width / step, size.Height / step};
    const std::unique_ptr<TBitmap> overview = jpeg->DrawRegionWithOverview(surface, rect, crop, overviewSize);
    surface.Bitmap().Modified();
    const std::optional<TRect> face = faces.LargestFace(*overview);
    if (!face)
        return FaceOutcome::NotFound;
    const TRect region = FaceRegion(size, target, Scaled(*face, overviewSize, size));
    TRect inOverview = Scaled(region, size, overviewSize);
    inOverview.Right = std::max(inOverview.Right, inOverview.Left + 1);
    inOverview.Bottom = std::max(inOverview.Bottom, inOverview.Top + 1);
    surface.StretchDrawRegion(rect, overview.get(), inOverview);
    return FaceOutcome::Found;
}

// Smooth face mode decodes the photo once, at a scale chosen before the face
// is known: one that keeps twice the output's size in a face region half the
// photo's shorter side high. Portraits' faces come larger than that, so their
// one decoding serves both the detector and the drawing; so it does for a
// photo without a face, whose crop region is larger still. Only the smaller
// faces of group photos need a finer scale: then the face region alone is
// decoded again at the scale it needs.
constexpr std::int32_t kUsualFaceRegionShare = 2;

FaceOutcome DrawAroundFaceSmoothly(TCanvas& surface, const TRect& rect, TGraphic& picture, FaceDetector& faces)
{
    const PictureSize size{picture.Width(), picture.Height()};
    const PictureSize target{rect.Width(), rect.Height()};
    const std::int32_t usualHeight = std::max(1, std::min(size.Width, size.Height) / kUsualFaceRegionShare);
    const PictureSize usualRegion{
        std::max(1, static_cast<std::int32_t>(std::int64_t{usualHeight} * target.Width / target.Height)), usualHeight};
    const int eighths =
        std::max(EighthsToSampleSmoothly(usualRegion, target),
                 EighthsToCover(size, {FaceDetector::kWorkingShortSide, FaceDetector::kWorkingShortSide}));
    const ReducedPicture reduced = ReducePicture(picture, eighths);
    if (!reduced.Pixels)
        return FaceOutcome::NotLooked;
    const std::optional<TRect> face = faces.LargestFace(*reduced.Pixels);
    if (!face) {
        // Crop mode's region, from the decoding in hand: at least as fine as
        // the one crop mode makes for it, so the same picture but for the
        // rounding of the averages.
        SmoothDrawRegion(surface, rect, reduced, CentredCrop(size, target));
        return FaceOutcome::NotFound;
    }
    const TRect region = FaceRegion(size, target, FaceBoxInPicture(*face, reduced));
    const int needed = EighthsToSampleSmoothly({region.Width(), region.Height()}, target);
    if (needed > reduced.Eighths)
        SmoothDrawRegion(surface, rect, ReducePictureForRegion(picture, needed, region), region);
    else
        SmoothDrawRegion(surface, rect, reduced, region);
    return FaceOutcome::Found;
}

} // namespace

Sampling DefaultSampling(FitMode mode)
{
    return mode == FitMode::Stretch ? Sampling::Exact : Sampling::Smooth;
}

FaceOutcome DrawFitted(TCanvas& surface, const TRect& rect, TGraphic& picture, FitMode mode, FaceDetector* faces,
                       Sampling sampling)
{
    const PictureSize size{picture.Width(), picture.Height()};
    const PictureSize target{rect.Width(), rect.Height()};
    if (size.Width <= 0 || size.Height <= 0 || target.Width <= 0 || target.Height <= 0)
        return FaceOutcome::NotLooked;
    if (sampling == Sampling::Smooth) {
        switch (mode) {
        case FitMode::Stretch:
            SmoothDrawRegion(surface, rect, picture, TRect{0, 0, size.Width, size.Height});
            return FaceOutcome::NotLooked;
        case FitMode::Crop:
            SmoothDrawRegion(surface, rect, picture, CentredCrop(size, target));
            return FaceOutcome::NotLooked;
        case FitMode::Face:
            if (faces == nullptr)
                throw std::invalid_argument("face mode needs a face detector");
            return DrawAroundFaceSmoothly(surface, rect, picture, *faces);
        }
    }
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
    return DrawAroundFace(surface, rect, picture, *faces);
}

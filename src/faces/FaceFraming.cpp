#include "faces/FaceFraming.h"

#include "picture/CentredCrop.h"

#include <algorithm>
#include <cstdint>

namespace {

// a * b / c rounded to the nearest whole number, for positive values.
std::int64_t MulDivRounded(std::int64_t a, std::int64_t b, std::int64_t c)
{
    return (a * b + c / 2) / c;
}

TRect At(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height)
{
    return {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), static_cast<std::int32_t>(left + width),
            static_cast<std::int32_t>(top + height)};
}

} // namespace

TRect FaceRegion(PictureSize picture, PictureSize target, const TRect& face, const FacePlacement& placement)
{
    const std::int64_t faceHeight = std::max<std::int64_t>(std::int64_t{face.Bottom} - face.Top, 1);
    const TRect largest = CentredCrop(picture, target);
    std::int64_t height =
        MulDivRounded(faceHeight, placement.regionPerFace.numerator, placement.regionPerFace.denominator);
    std::int64_t width = std::max<std::int64_t>(MulDivRounded(height, target.Width, target.Height), 1);
    if (width > largest.Width() || height > largest.Height()) {
        width = largest.Width();
        height = largest.Height();
    }
    const std::int64_t centreX = (std::int64_t{face.Left} + face.Right) / 2;
    const std::int64_t eyesY = face.Top + 2 * faceHeight / 5;
    const std::int64_t left = std::clamp<std::int64_t>(centreX - width / 2, 0, picture.Width - width);
    const std::int64_t top =
        std::clamp<std::int64_t>(eyesY - height * placement.eyesFromTop.numerator / placement.eyesFromTop.denominator,
                                 0, picture.Height - height);
    return At(left, top, width, height);
}

TRect FaceBoxInPicture(const TRect& box, const ReducedPicture& reduced)
{
    const double toPicture = 8.0 / reduced.Eighths;
    auto x = [&](std::int32_t v) { return static_cast<std::int32_t>((v - reduced.OffsetX) * toPicture); };
    auto y = [&](std::int32_t v) { return static_cast<std::int32_t>((v - reduced.OffsetY) * toPicture); };
    return {x(box.Left), y(box.Top), x(box.Right), y(box.Bottom)};
}

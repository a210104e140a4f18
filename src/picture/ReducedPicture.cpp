#include "picture/ReducedPicture.h"

#include "picture/TBitmap.h"
#include "picture/TJPEGImage.h"
#include "picture/detail/UprightPicture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace {

constexpr int kEighths = 8;

// Whether the upright axis runs against the stored one, so that the stored
// far edge (where the last reduced pixel is cut short) shows at the start.
bool MirrorsAcross(ExifOrientation orientation)
{
    return orientation == ExifOrientation::TopRight || orientation == ExifOrientation::BottomRight
           || orientation == ExifOrientation::RightTop || orientation == ExifOrientation::RightBottom;
}

bool MirrorsDown(ExifOrientation orientation)
{
    return orientation == ExifOrientation::BottomRight || orientation == ExifOrientation::BottomLeft
           || orientation == ExifOrientation::RightBottom || orientation == ExifOrientation::LeftBottom;
}

// libjpeg's size of `side` pixels decoded at n/8: rounded up.
std::int64_t ReducedSide(std::int64_t side, int eighths)
{
    return (side * eighths + kEighths - 1) / kEighths;
}

} // namespace

int EighthsToCover(PictureSize full, PictureSize atLeast)
{
    for (int n = 1; n < kEighths; ++n) {
        if (ReducedSide(full.Width, n) >= atLeast.Width && ReducedSide(full.Height, n) >= atLeast.Height)
            return n;
    }
    return kEighths;
}

int EighthsToSampleSmoothly(PictureSize region, PictureSize target)
{
    for (int n = 1; n < kEighths; ++n) {
        // Twice the target's pixels, each reduced pixel n/8 of a picture pixel.
        constexpr std::int64_t kTwiceInEighths = std::int64_t{2} * kEighths;
        if (std::int64_t{region.Width} * n >= kTwiceInEighths * target.Width
            && std::int64_t{region.Height} * n >= kTwiceInEighths * target.Height)
            return n;
    }
    return kEighths;
}

namespace {

// ReducePicture, and when `region` is given (upright picture coordinates),
// only the part of the reduced picture that averaging over the region reads.
ReducedPicture Reduce(const TGraphic& picture, int eighths, const TRect* region)
{
    ReducedPicture reduced;
    reduced.Full = {picture.Width(), picture.Height()};
    const auto* jpeg = dynamic_cast<const TJPEGImage*>(&picture);
    if (jpeg == nullptr || jpeg->Empty() || jpeg->Decoded() || eighths >= kEighths) {
        const TBitmap* pixels = picture.Empty() ? nullptr : picture.AsBitmap();
        if (pixels != nullptr && !pixels->Empty()) {
            auto shared = std::make_shared<TBitmap>(pixels->DisplayDepth());
            shared->Assign(pixels);
            reduced.Pixels = std::move(shared);
        }
        return reduced;
    }
    eighths = std::max(eighths, 1);
    reduced.Eighths = eighths;
    // The reduced picture is the stored one rounded up to whole pixels; where
    // the upright picture starts at the stored far edge, it starts inside
    // that last, partial pixel.
    const ExifOrientation orientation = jpeg->Orientation();
    const PictureSize stored{jpeg->StoredWidth(), jpeg->StoredHeight()};
    const bool turned = SwapsSides(orientation);
    const double overhangAcross =
        static_cast<double>(ReducedSide(stored.Width, eighths)) - stored.Width * eighths / 8.0;
    const double overhangDown =
        static_cast<double>(ReducedSide(stored.Height, eighths)) - stored.Height * eighths / 8.0;
    if (MirrorsAcross(orientation))
        reduced.OffsetX = turned ? overhangDown : overhangAcross;
    if (MirrorsDown(orientation))
        reduced.OffsetY = turned ? overhangAcross : overhangDown;
    if (region == nullptr) {
        reduced.Pixels = jpeg->ScaledBitmap(eighths);
        return reduced;
    }

    // The reduced pixels the region touches, and one more on every side, in
    // the upright reduced picture; then the same pixels as stored, which
    // form a rectangle there too.
    const PictureSize reducedStored{static_cast<std::int32_t>(ReducedSide(stored.Width, eighths)),
                                    static_cast<std::int32_t>(ReducedSide(stored.Height, eighths))};
    const PictureSize reducedUpright = UprightSize(reducedStored, orientation);
    auto span = [](double from, double to, std::int32_t limit) {
        const auto first = static_cast<std::int32_t>(std::clamp(std::floor(from) - 1, 0.0, double(limit - 1)));
        const auto last = static_cast<std::int32_t>(std::clamp(std::ceil(to) + 1, double(first + 1), double(limit)));
        return std::pair{first, last};
    };
    const auto [left, right] = span(reduced.X(region->Left), reduced.X(region->Right), reducedUpright.Width);
    const auto [top, bottom] = span(reduced.Y(region->Top), reduced.Y(region->Bottom), reducedUpright.Height);
    const StoredPixel corner = StoredPixelAt(reducedStored, orientation, left, top);
    const StoredPixel farCorner = StoredPixelAt(reducedStored, orientation, right - 1, bottom - 1);
    const TRect storedRegion{static_cast<std::int32_t>(std::min(corner.X, farCorner.X)),
                             static_cast<std::int32_t>(std::min(corner.Y, farCorner.Y)),
                             static_cast<std::int32_t>(std::max(corner.X, farCorner.X) + 1),
                             static_cast<std::int32_t>(std::max(corner.Y, farCorner.Y) + 1)};
    reduced.Pixels = jpeg->ScaledBitmap(eighths, storedRegion);
    reduced.OffsetX -= left;
    reduced.OffsetY -= top;
    return reduced;
}

} // namespace

ReducedPicture ReducePicture(const TGraphic& picture, int eighths)
{
    return Reduce(picture, eighths, nullptr);
}

ReducedPicture ReducePictureForRegion(const TGraphic& picture, int eighths, const TRect& region)
{
    return Reduce(picture, eighths, &region);
}

ReducedPicture DecodeAtLeast(const TGraphic& picture, PictureSize atLeast)
{
    return ReducePicture(picture, EighthsToCover({picture.Width(), picture.Height()}, atLeast));
}

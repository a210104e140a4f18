#include "picture/ReducedPicture.h"

#include "picture/TBitmap.h"
#include "picture/TJPEGImage.h"

#include <algorithm>
#include <cstdint>

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
        if (std::int64_t{region.Width} * n >= std::int64_t{2} * kEighths * target.Width
            && std::int64_t{region.Height} * n >= std::int64_t{2} * kEighths * target.Height)
            return n;
    }
    return kEighths;
}

ReducedPicture ReducePicture(const TGraphic& picture, int eighths)
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
    reduced.Pixels = jpeg->ScaledBitmap(eighths);
    reduced.Eighths = eighths;
    // The reduced picture is the stored one rounded up to whole pixels; where
    // the upright picture starts at the stored far edge, it starts inside
    // that last, partial pixel.
    const PictureSize stored{jpeg->StoredWidth(), jpeg->StoredHeight()};
    const bool turned = SwapsSides(jpeg->Orientation());
    const double overhangAcross =
        static_cast<double>(ReducedSide(stored.Width, eighths)) - stored.Width * eighths / 8.0;
    const double overhangDown =
        static_cast<double>(ReducedSide(stored.Height, eighths)) - stored.Height * eighths / 8.0;
    if (MirrorsAcross(jpeg->Orientation()))
        reduced.OffsetX = turned ? overhangDown : overhangAcross;
    if (MirrorsDown(jpeg->Orientation()))
        reduced.OffsetY = turned ? overhangAcross : overhangDown;
    return reduced;
}

ReducedPicture DecodeAtLeast(const TGraphic& picture, PictureSize atLeast)
{
    return ReducePicture(picture, EighthsToCover({picture.Width(), picture.Height()}, atLeast));
}

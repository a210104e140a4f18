#include "editing/PictureEditing.h"

#include "editing/LoadedPicture.h"
#include "faces/FaceDetector.h"
#include "faces/FaceFraming.h"
#include "picture/PictureCanvas.h"
#include "picture/PictureErrors.h"
#include "picture/TBitmap.h"
#include "picture/TCanvas.h"

#include <algorithm>

namespace {

// Puts `copy` drawn at width x height into the area and takes that size.
// The new surface is made before the old picture goes, so that a size the
// component refuses (over the largest side a control takes, none at all, or
// no memory for it) leaves the picture as it was and gives false. The result
// is the one of emptying the area and drawing into its fresh white Canvas.
// With `loaded` kept, the picture is averaged from the loaded one instead.
bool RedrawAt(PictureArea& area, TBitmap& copy, std::int64_t width, std::int64_t height,
              const LoadedPicture* loaded = nullptr)
{
    if (width <= 0 || height <= 0 || width > kMaxControlSide || height > kMaxControlSide)
        return false;
    TBitmap redrawn(area.Picture.DisplayDepth());
    try {
        redrawn.SetSize(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
    } catch (const EOutOfResources&) {
        return false;
    }
    const TRect whole{0, 0, redrawn.Width(), redrawn.Height()};
    if (loaded != nullptr && !loaded->Empty())
        loaded->DrawSmoothly(redrawn.Canvas(), whole, whole, redrawn.Width(), redrawn.Height());
    else
        redrawn.Canvas().StretchDraw(whole, &copy);
    area.Picture.SetGraphic(&redrawn);
    area.Width = redrawn.Width();
    area.Height = redrawn.Height();
    return true;
}

} // namespace

void HalfSizeRedraw(PictureArea& area)
{
    TBitmap copy;
    copy.Assign(area.Picture.Graphic());
    area.Picture.SetGraphic(nullptr);
    area.Width = copy.Width() / 2;
    area.Height = copy.Height() / 2;
    ImageCanvas(area.Picture, area.Width, area.Height).StretchDraw({0, 0, area.Width, area.Height}, &copy);
}

bool Zoom(PictureArea& area, ZoomDirection direction)
{
    TBitmap copy;
    copy.Assign(area.Picture.Graphic());
    // A control of no width or height leaves no factor to compute.
    if (area.Width <= 0 || area.Height <= 0)
        return false;
    const std::int64_t k = std::max(copy.Width() / area.Width, copy.Height() / area.Height) + 1;
    const std::int64_t width = direction == ZoomDirection::In ? copy.Width() * k : copy.Width() / k;
    const std::int64_t height = direction == ZoomDirection::In ? copy.Height() * k : copy.Height() / k;
    return RedrawAt(area, copy, width, height);
}

void QuarterTurn(PictureArea& area, TurnDirection direction)
{
    TBitmap copy;
    copy.Assign(area.Picture.Graphic());
    const std::int32_t w = copy.Width();
    const std::int32_t h = copy.Height();

    // One resize to the turned size gives the grid that resizing the height
    // and then the width gives (an own-form grid keeps its depth, colour
    // table and masks, any other takes the display's), without the square
    // grid in between. Every pixel is overwritten below.
    TBitmap& turned = area.Picture.Bitmap();
    turned.SetSize(h, w);
    DrawQuarterTurned(turned, copy, direction);
    area.Height = w;
    area.Width = h;
}

DragResult DragOverPicture(std::int32_t areaLeft, std::int32_t areaTop, std::int32_t areaWidth, std::int32_t areaHeight,
                           std::int32_t x, std::int32_t y, std::int32_t boxWidth, std::int32_t boxHeight)
{
    const std::int32_t left = areaLeft + x - areaWidth / 2;
    const std::int32_t top = areaTop + y - areaHeight / 2;
    const std::int32_t cropLeft = boxWidth / 2 - left - 55;
    const std::int32_t cropTop = boxHeight / 2 - top - 85;
    return {left, top, CropRectAt(cropLeft, cropTop)};
}

DragResult DragOverFrame(std::int32_t frameLeft, std::int32_t frameTop, std::int32_t areaWidth, std::int32_t areaHeight,
                         std::int32_t x, std::int32_t y)
{
    const std::int32_t left = frameLeft + x - areaWidth / 2;
    const std::int32_t top = frameTop + y - areaHeight / 2;
    return {left, top, CropRectAt(areaWidth / 2 - x, areaHeight / 2 - y)};
}

TRect CropRectAt(std::int32_t left, std::int32_t top)
{
    return {left, top, left + kCropWidth, top + kCropHeight};
}

FaceFraming FrameFace(PictureArea& area, FaceDetector& faces, std::int32_t frameLeft, std::int32_t frameTop,
                      const LoadedPicture* loaded)
{
    const FaceFraming unchanged{FaceFramingOutcome::NoFace, {}};
    TBitmap copy;
    copy.Assign(area.Picture.Graphic());
    if (copy.Empty())
        return unchanged;
    const std::optional<TRect> face = faces.LargestFace(copy);
    if (!face)
        return unchanged;
    const TRect region = FaceRegion({copy.Width(), copy.Height()}, {kCropWidth, kCropHeight}, *face);
    // One scale for both sides: the region's height becomes the frame's.
    const std::int64_t regionHeight = region.Height();
    auto scaled = [regionHeight](std::int64_t v) { return (v * kCropHeight + regionHeight / 2) / regionHeight; };
    if (!RedrawAt(area, copy, scaled(copy.Width()), scaled(copy.Height()), loaded))
        return {FaceFramingOutcome::TooLarge, {}};
    const auto left = static_cast<std::int32_t>(scaled(region.Left));
    const auto top = static_cast<std::int32_t>(scaled(region.Top));
    return {FaceFramingOutcome::Framed, {frameLeft - left, frameTop - top, CropRectAt(left, top)}};
}

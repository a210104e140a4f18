#include "capture_window/core/PictureEditing.h"

#include "common/faces/FaceDetector.h"
#include "common/faces/FaceFraming.h"
#include "common/picture/PixelGrid.h"

#include "common/picture/ImageControl.h"
#include "common/picture/PictureErrors.h"
#include "common/picture/TBitmap.h"
#include "common/picture/TCanvas.h"

#include <algorithm>

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
    if (width <= 0 || height <= 0 || width > kMaxControlSide || height > kMaxControlSide)
        return false;

    // The new surface is made before the old picture goes, so that a size the
    // component refuses leaves the picture as it was. The result is the one of
    // emptying the area and drawing into its fresh white Canvas.
    TBitmap zoomed(area.Picture.DisplayDepth());
    try {
        zoomed.SetWidth(static_cast<std::int32_t>(width));
        zoomed.SetHeight(static_cast<std::int32_t>(height));
    } catch (const EOutOfResources&) {
        return false;
    }
    zoomed.Canvas().StretchDraw({0, 0, zoomed.Width(), zoomed.Height()}, &copy);
    area.Picture.SetGraphic(&zoomed);
    area.Width = zoomed.Width();
    area.Height = zoomed.Height();
    return true;
}

void QuarterTurn(PictureArea& area, TurnDirection direction)
{
    TBitmap copy;
    copy.Assign(area.Picture.Graphic());
    const std::int32_t w = copy.Width();
    const std::int32_t h = copy.Height();

    TBitmap& turned = area.Picture.Bitmap();
    turned.SetHeight(w);
    turned.SetWidth(h);
    TCanvas& source = copy.Canvas();
    TCanvas& target = ImageCanvas(area.Picture, area.Width, area.Height);
    for (std::int32_t y = 0; y < h; ++y) {
        for (std::int32_t x = 0; x < w; ++x) {
            const TColor color = source.GetPixel(x, y);
            if (direction == TurnDirection::Left)
                target.SetPixel(y, w - 1 - x, color);
            else
                target.SetPixel(h - 1 - y, x, color);
        }
    }
    area.Height = w;
    area.Width = h;
}

DragResult DragOverPicture(std::int32_t areaLeft, std::int32_t areaTop, std::int32_t areaWidth,
                           std::int32_t areaHeight, std::int32_t x, std::int32_t y, std::int32_t boxWidth,
                           std::int32_t boxHeight)
{
    const std::int32_t left = areaLeft + x - areaWidth / 2;
    const std::int32_t top = areaTop + y - areaHeight / 2;
    const std::int32_t cropLeft = boxWidth / 2 - left - 55;
    const std::int32_t cropTop = boxHeight / 2 - top - 85;
    return {left, top, CropRectAt(cropLeft, cropTop)};
}

DragResult DragOverFrame(std::int32_t frameLeft, std::int32_t frameTop, std::int32_t areaWidth,
                         std::int32_t areaHeight, std::int32_t x, std::int32_t y)
{
    const std::int32_t left = frameLeft + x - areaWidth / 2;
    const std::int32_t top = frameTop + y - areaHeight / 2;
    return {left, top, CropRectAt(areaWidth / 2 - x, areaHeight / 2 - y)};
}

TRect CropRectAt(std::int32_t left, std::int32_t top)
{
    return {left, top, left + kCropWidth, top + kCropHeight};
}

FaceFraming FrameFace(PictureArea& area, FaceDetector& faces, std::int32_t frameLeft, std::int32_t frameTop)
{
    const FaceFraming unchanged{FaceFramingOutcome::NoFace, {}};
    TBitmap copy;
    copy.Assign(area.Picture.Graphic());
    if (copy.Empty())
        return unchanged;
    const std::optional<TRect> face = faces.LargestFace(*GreyOf(copy));
    if (!face)
        return unchanged;
    const std::int64_t width = copy.Width();
    const std::int64_t height = copy.Height();
    const TRect region = FaceRegion({copy.Width(), copy.Height()}, {kCropWidth, kCropHeight}, *face);
    // One scale for both sides: the region's height becomes the frame's.
    const std::int64_t regionHeight = region.Height();
    auto scaled = [regionHeight](std::int64_t v) { return (v * kCropHeight + regionHeight / 2) / regionHeight; };
    const std::int64_t newWidth = scaled(width);
    const std::int64_t newHeight = scaled(height);
    if (newWidth <= 0 || newHeight <= 0 || newWidth > kMaxControlSide || newHeight > kMaxControlSide)
        return {FaceFramingOutcome::TooLarge, {}};
    TBitmap zoomed(area.Picture.DisplayDepth());
    try {
        zoomed.SetSize(static_cast<std::int32_t>(newWidth), static_cast<std::int32_t>(newHeight));
    } catch (const EOutOfResources&) {
        return {FaceFramingOutcome::TooLarge, {}};
    }
    zoomed.Canvas().StretchDraw({0, 0, zoomed.Width(), zoomed.Height()}, &copy);
    area.Picture.SetGraphic(&zoomed);
    area.Width = zoomed.Width();
    area.Height = zoomed.Height();
    const auto left = static_cast<std::int32_t>(scaled(region.Left));
    const auto top = static_cast<std::int32_t>(scaled(region.Top));
    return {FaceFramingOutcome::Framed, {frameLeft - left, frameTop - top, CropRectAt(left, top)}};
}

#include "picture/SmoothDraw.h"

#include "picture/ReducedPicture.h"
#include "picture/TBitmap.h"
#include "picture/TCanvas.h"
#include "picture/detail/AreaAverage.h"
#include "picture/detail/BitmapAccess.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

void SmoothDrawRegion(TCanvas& canvas, const TRect& rect, const ReducedPicture& reduced, const TRect& region)
{
    SmoothDrawWindow(canvas, rect, reduced,
                     PictureWindow{static_cast<double>(region.Left), static_cast<double>(region.Top),
                                   static_cast<double>(region.Right), static_cast<double>(region.Bottom)});
}

void SmoothDrawWindow(TCanvas& canvas, const TRect& rect, const ReducedPicture& reduced, const PictureWindow& region)
{
    if (!reduced.Pixels || rect.Right <= rect.Left || rect.Bottom <= rect.Top || !(region.Right > region.Left)
        || !(region.Bottom > region.Top))
        return;
    // The region inside the picture: what lies beyond has no pixels to average.
    const double left = std::max(region.Left, 0.0);
    const double top = std::max(region.Top, 0.0);
    const double right = std::min(region.Right, static_cast<double>(reduced.Full.Width));
    const double bottom = std::min(region.Bottom, static_cast<double>(reduced.Full.Height));
    if (right <= left || bottom <= top)
        return;
    // The extra reference keeps the source's pixels as they are should the
    // target share them.
    const std::shared_ptr<PixelGrid> source = BitmapAccess::Grid(*reduced.Pixels);
    PixelGrid* target = BitmapAccess::MutableGrid(canvas.Bitmap());
    if (!source || target == nullptr)
        return;
    // The part of the rectangle the clipped region covers.
    const auto width = static_cast<double>(std::int64_t{rect.Right} - rect.Left);
    const auto height = static_cast<double>(std::int64_t{rect.Bottom} - rect.Top);
    const double regionWidth = region.Right - region.Left;
    const double regionHeight = region.Bottom - region.Top;
    auto across = [&](double x) { return rect.Left + (x - region.Left) * width / regionWidth; };
    auto down = [&](double y) { return rect.Top + (y - region.Top) * height / regionHeight; };
    const TRect covered{static_cast<std::int32_t>(std::ceil(across(left) - 1e-9)),
                        static_cast<std::int32_t>(std::ceil(down(top) - 1e-9)),
                        static_cast<std::int32_t>(std::floor(across(right) + 1e-9)),
                        static_cast<std::int32_t>(std::floor(down(bottom) + 1e-9))};
    // Back to the picture: the footprints of exactly the covered pixels.
    auto pictureX = [&](double x) { return region.Left + (x - rect.Left) * regionWidth / width; };
    auto pictureY = [&](double y) { return region.Top + (y - rect.Top) * regionHeight / height; };
    const SourceWindow window{reduced.X(pictureX(covered.Left)), reduced.Y(pictureY(covered.Top)),
                              reduced.X(pictureX(covered.Right)), reduced.Y(pictureY(covered.Bottom))};
    AreaAverage(*target, covered, *source, window);
    canvas.Bitmap().Modified();
}

void SmoothDrawRegion(TCanvas& canvas, const TRect& rect, const TGraphic& picture, const TRect& region)
{
    if (picture.Empty() || rect.Right <= rect.Left || rect.Bottom <= rect.Top || region.Right <= region.Left
        || region.Bottom <= region.Top)
        return;
    const int eighths = EighthsToSampleSmoothly({region.Width(), region.Height()}, {rect.Width(), rect.Height()});
    SmoothDrawRegion(canvas, rect, ReducePictureForRegion(picture, eighths, region), region);
}

#include "picture/TCanvas.h"

#include "picture/TGraphic.h"
#include "picture/detail/BitmapPixels.h"
#include "picture/detail/PixelGrid.h"
#include "picture/detail/StretchCopy.h"

#include <algorithm>

TCanvas::TCanvas(TBitmap& owner, BitmapPixels& pixels) : owner_(owner), pixels_(pixels) { }

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic)
{
    if (graphic == nullptr)
        return;
    StretchDrawRegion(rect, graphic, TRect{0, 0, graphic->Width(), graphic->Height()});
}

void TCanvas::StretchDrawRegion(const TRect& rect, TGraphic* graphic, const TRect& region)
{
    if (graphic == nullptr)
        return;
    graphic->DrawRegion(*this, rect, region);
    pixels_.ReportChange();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect)
{
    // The extra reference makes this surface copy a grid it shares with the
    // source before writing, so the source's pixels are read unchanged.
    const std::shared_ptr<PixelGrid> sourceGrid = source.pixels_.Grid();
    if (!sourceGrid)
        return;
    PixelGrid* target = pixels_.MutableGrid();
    if (target == nullptr)
        return;
    StretchCopy(*target, dest, *sourceGrid, sourceRect);
    pixels_.ReportChange();
}

void TCanvas::FillRect(const TRect& rect)
{
    const PixelGrid* grid = pixels_.Grid().get();
    if (grid == nullptr)
        return;
    const std::int32_t left = std::max(rect.Left, 0);
    const std::int32_t top = std::max(rect.Top, 0);
    const std::int32_t right = std::min(rect.Right, grid->Width());
    const std::int32_t bottom = std::min(rect.Bottom, grid->Height());
    if (left < right && top < bottom)
        pixels_.MutableGrid()->Fill(left, top, right, bottom, BrushColor());
    pixels_.ReportChange();
}

TColor TCanvas::GetPixel(std::int32_t x, std::int32_t y) const
{
    const PixelGrid* grid = pixels_.Grid().get();
    if (grid == nullptr || x < 0 || y < 0 || x >= grid->Width() || y >= grid->Height())
        return clNone;
    return grid->GetColor(x, y);
}

void TCanvas::SetPixel(std::int32_t x, std::int32_t y, TColor color)
{
    const PixelGrid* grid = pixels_.Grid().get();
    if (grid == nullptr || x < 0 || y < 0 || x >= grid->Width() || y >= grid->Height())
        return;
    pixels_.MutableGrid()->SetColor(x, y, color);
    pixels_.ReportChange();
}

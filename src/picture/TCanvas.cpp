#include "picture/TCanvas.h"

#include "picture/PixelGrid.h"
#include "picture/StretchCopy.h"
#include "picture/TBitmap.h"

#include <algorithm>

TCanvas::TCanvas(TBitmap& owner) : owner_(owner) { }

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
    owner_.NotifyChanged();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect)
{
    // The extra reference makes this surface copy a grid it shares with the
    // source before writing, so the source's pixels are read unchanged.
    const std::shared_ptr<PixelGrid> sourceGrid = source.owner_.grid_;
    if (!sourceGrid)
        return;
    PixelGrid* target = owner_.MutableGrid();
    if (target == nullptr)
        return;
    StretchCopy(*target, dest, *sourceGrid, sourceRect);
    owner_.NotifyChanged();
}

void TCanvas::FillRect(const TRect& rect)
{
    if (owner_.grid_ == nullptr)
        return;
    const std::int32_t left = std::max(rect.Left, 0);
    const std::int32_t top = std::max(rect.Top, 0);
    const std::int32_t right = std::min(rect.Right, owner_.width_);
    const std::int32_t bottom = std::min(rect.Bottom, owner_.height_);
    if (left < right && top < bottom)
        owner_.MutableGrid()->Fill(left, top, right, bottom, BrushColor());
    owner_.NotifyChanged();
}

TColor TCanvas::GetPixel(std::int32_t x, std::int32_t y) const
{
    const PixelGrid* grid = owner_.grid_.get();
    if (grid == nullptr || x < 0 || y < 0 || x >= grid->Width() || y >= grid->Height())
        return clNone;
    return grid->GetColor(x, y);
}

void TCanvas::SetPixel(std::int32_t x, std::int32_t y, TColor color)
{
    const PixelGrid* grid = owner_.grid_.get();
    if (grid == nullptr || x < 0 || y < 0 || x >= grid->Width() || y >= grid->Height())
        return;
    owner_.MutableGrid()->SetColor(x, y, color);
    owner_.NotifyChanged();
}

#include "picture/TBitmap.h"

#include "picture/PictureErrors.h"
#include "picture/detail/BmpReader.h"
#include "picture/detail/BmpWriter.h"
#include "picture/detail/DisplayGrid.h"
#include "picture/detail/PixelGrid.h"
#include "picture/detail/StretchCopy.h"

#include <algorithm>
#include <cassert>
#include <cstring>

TBitmap::TBitmap(DisplayColorDepth displayDepth)
    : displayDepth_(displayDepth), pixels_([this] { Changed(); }), canvas_(*this, pixels_)
{
}

TBitmap::~TBitmap() = default;

std::unique_ptr<TGraphic> TBitmap::NewEmpty() const
{
    return std::make_unique<TBitmap>(displayDepth_);
}

void TBitmap::Assign(const TGraphic* source)
{
    if (source == this)
        return;
    if (source == nullptr) {
        Clear();
        return;
    }
    if (const TBitmap* bitmap = source->AsBitmap()) {
        width_ = bitmap->width_;
        height_ = bitmap->height_;
        pixels_.SetGrid(bitmap->pixels_.Grid());
        Changed();
        return;
    }
    if (!source->Empty())
        throw EInvalidGraphicOperation("Cannot assign this kind of picture to a Bitmap");
    Clear();
}

void TBitmap::Clear()
{
    width_ = 0;
    height_ = 0;
    pixels_.SetGrid(nullptr);
    Changed();
}

void TBitmap::DrawRegion(TCanvas& canvas, const TRect& rect, const TRect& region)
{
    // The extra reference makes a target that shares this grid (drawing a
    // Bitmap onto itself or onto a copy) take its own copy first.
    const std::shared_ptr<PixelGrid> source = pixels_.Grid();
    if (!source)
        return;
    PixelGrid* target = canvas.Bitmap().pixels_.MutableGrid();
    if (target == nullptr)
        return;
    StretchCopy(*target, rect, *source, region);
}

bool TBitmap::Empty() const
{
    return pixels_.Grid() == nullptr;
}

void TBitmap::SetWidth(std::int32_t width)
{
    Resize(width, height_);
}

void TBitmap::SetHeight(std::int32_t height)
{
    Resize(width_, height);
}

void TBitmap::SetSize(std::int32_t width, std::int32_t height)
{
    Resize(width, height);
}

void TBitmap::Resize(std::int32_t width, std::int32_t height)
{
    if (width == width_ && height == height_)
        return;
    if (width < 0 || height < 0)
        throw EOutOfResources(kOutOfResourcesMessage);
    if (width == 0 || height == 0) {
        width_ = width;
        height_ = height;
        pixels_.SetGrid(nullptr);
        Changed();
        return;
    }

    // A Bitmap with own-form pixels keeps its depth, colour table and masks;
    // any other gets a display-form grid.
    const PixelGrid* grid = pixels_.Grid().get();
    std::shared_ptr<PixelGrid> resized;
    if (grid != nullptr && grid->Form() == GridForm::Own) {
        resized = std::make_shared<PixelGrid>(width, height, grid->BitsPerPixel(), GridForm::Own);
        resized->SetColorTable(grid->ColorTable());
        if (grid->HasBitFields())
            resized->SetBitFields(grid->Fields());
    } else {
        resized = NewDisplayGrid(width, height, displayDepth_);
    }
    resized->FillWhite();
    if (grid != nullptr)
        StretchCopy(*resized, TRect{0, 0, grid->Width(), grid->Height()}, *grid,
                    TRect{0, 0, grid->Width(), grid->Height()});
    width_ = width;
    height_ = height;
    pixels_.SetGrid(std::move(resized));
    Changed();
}

void TBitmap::CheckSize(std::int32_t width, std::int32_t height, DisplayColorDepth depth)
{
    PixelGrid::CheckSize(width, height, depth.BitsPerPixel());
}

void TBitmap::LoadFromStream(std::span<const std::uint8_t> bytes)
{
    AdoptGrid(ReadBmp(bytes, displayDepth_));
}

void TBitmap::SaveToStream(std::vector<std::uint8_t>& out) const
{
    if (const PixelGrid* grid = pixels_.Grid().get())
        WriteBmp(*grid, out);
}

int TBitmap::BitsPerPixel() const
{
    const PixelGrid* grid = pixels_.Grid().get();
    return grid != nullptr ? grid->BitsPerPixel() : 0;
}

bool TBitmap::IsDisplayForm() const
{
    const PixelGrid* grid = pixels_.Grid().get();
    return grid != nullptr && grid->Form() == GridForm::Display;
}

std::size_t TBitmap::RowBytes() const
{
    const PixelGrid* grid = pixels_.Grid().get();
    return grid != nullptr ? grid->RowBytes() : 0;
}

const std::uint8_t* TBitmap::ScanLine(std::int32_t row) const
{
    assert(pixels_.Grid() && row >= 0 && row < height_);
    return pixels_.Grid()->Row(row);
}

std::uint8_t* TBitmap::MutableScanLine(std::int32_t row)
{
    assert(pixels_.Grid() && row >= 0 && row < height_);
    return pixels_.MutableGrid()->Row(row);
}

void TBitmap::Modified()
{
    Changed();
}

std::span<const TColor> TBitmap::ColorTable() const
{
    const PixelGrid* grid = pixels_.Grid().get();
    if (grid == nullptr)
        return {};
    return grid->ColorTable();
}

void TBitmap::ReadRowRGB32(std::int32_t row, std::uint32_t* out) const
{
    assert(pixels_.Grid() && row >= 0 && row < height_);
    pixels_.Grid()->ReadRowRgb32(row, out);
}

void TBitmap::AdoptGrid(std::shared_ptr<PixelGrid> grid)
{
    width_ = grid ? grid->Width() : 0;
    height_ = grid ? grid->Height() : 0;
    pixels_.SetGrid(std::move(grid));
    Changed();
}

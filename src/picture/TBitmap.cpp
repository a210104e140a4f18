#include "picture/TBitmap.h"

#include "picture/BmpReader.h"
#include "picture/BmpWriter.h"
#include "picture/PictureErrors.h"
#include "picture/PixelGrid.h"
#include "picture/StretchCopy.h"
#include "picture/TJPEGImage.h"

#include <algorithm>
#include <cassert>
#include <cstring>

TBitmap::TBitmap(DisplayColorDepth displayDepth) : displayDepth_(displayDepth), canvas_(*this) { }

TBitmap::~TBitmap() = default;

std::unique_ptr<TGraphic> TBitmap::NewEmpty() const
{
    return std::make_unique<TBitmap>(displayDepth_);
}

void TBitmap::Assign(const TGraphic* source)
{
    if (source == this)
        return;
    if (source == nullptr
        || (source->Empty() && dynamic_cast<const TBitmap*>(source) == nullptr
            && dynamic_cast<const TJPEGImage*>(source) == nullptr)) {
        width_ = 0;
        height_ = 0;
        grid_.reset();
        Changed();
        return;
    }
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        width_ = bitmap->width_;
        height_ = bitmap->height_;
        grid_ = bitmap->grid_;
        Changed();
        return;
    }
    if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(source)) {
        Assign(&jpeg->DecodedBitmap());
        return;
    }
    throw EInvalidGraphicOperation("Cannot assign this kind of picture to a Bitmap");
}

void TBitmap::DrawRegion(TCanvas& canvas, const TRect& rect, const TRect& region)
{
    if (!grid_)
        return;
    // The extra reference makes a target that shares this grid (drawing a
    // Bitmap onto itself or onto a copy) take its own copy first.
    const std::shared_ptr<PixelGrid> source = grid_;
    PixelGrid* target = canvas.Bitmap().MutableGrid();
    if (target == nullptr)
        return;
    StretchCopy(*target, rect, *source, region);
}

bool TBitmap::Empty() const
{
    return grid_ == nullptr;
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
        grid_.reset();
        Changed();
        return;
    }

    // A Bitmap with own-form pixels keeps its depth, colour table and masks;
    // any other gets a display-form grid.
    std::shared_ptr<PixelGrid> resized;
    if (grid_ && grid_->Form() == GridForm::Own) {
        resized = std::make_shared<PixelGrid>(width, height, grid_->BitsPerPixel(), GridForm::Own);
        resized->SetColorTable(grid_->ColorTable());
        if (grid_->HasBitFields())
            resized->SetBitFields(grid_->Fields());
    } else {
        resized = NewDisplayGrid(width, height, displayDepth_);
    }
    resized->FillWhite();
    if (grid_)
        StretchCopy(*resized, TRect{0, 0, grid_->Width(), grid_->Height()}, *grid_,
                    TRect{0, 0, grid_->Width(), grid_->Height()});
    width_ = width;
    height_ = height;
    grid_ = std::move(resized);
    Changed();
}

void TBitmap::LoadFromStream(std::span<const std::uint8_t> bytes)
{
    std::shared_ptr<PixelGrid> grid = ReadBmp(bytes, displayDepth_);
    width_ = grid->Width();
    height_ = grid->Height();
    grid_ = std::move(grid);
    Changed();
}

void TBitmap::SaveToStream(std::vector<std::uint8_t>& out) const
{
    if (grid_)
        WriteBmp(*grid_, out);
}

int TBitmap::BitsPerPixel() const
{
    return grid_ ? grid_->BitsPerPixel() : 0;
}

bool TBitmap::IsDisplayForm() const
{
    return grid_ && grid_->Form() == GridForm::Display;
}

std::size_t TBitmap::RowBytes() const
{
    return grid_ ? grid_->RowBytes() : 0;
}

const std::uint8_t* TBitmap::ScanLine(std::int32_t row) const
{
    assert(grid_ && row >= 0 && row < height_);
    return grid_->Row(row);
}

std::uint8_t* TBitmap::MutableScanLine(std::int32_t row)
{
    assert(grid_ && row >= 0 && row < height_);
    return MutableGrid()->Row(row);
}

void TBitmap::Modified()
{
    Changed();
}

std::span<const TColor> TBitmap::ColorTable() const
{
    if (!grid_)
        return {};
    return grid_->ColorTable();
}

void TBitmap::ReadRowRGB32(std::int32_t row, std::uint32_t* out) const
{
    assert(grid_ && row >= 0 && row < height_);
    grid_->ReadRowRgb32(row, out);
}

PixelGrid* TBitmap::MutableGrid()
{
    if (grid_ && grid_.use_count() > 1)
        grid_ = grid_->Clone();
    return grid_.get();
}

void TBitmap::AdoptGrid(std::shared_ptr<PixelGrid> grid)
{
    width_ = grid ? grid->Width() : 0;
    height_ = grid ? grid->Height() : 0;
    grid_ = std::move(grid);
    Changed();
}

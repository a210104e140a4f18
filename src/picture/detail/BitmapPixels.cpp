#include "picture/detail/BitmapPixels.h"

#include "picture/detail/PixelGrid.h"

BitmapPixels::BitmapPixels(std::function<void()> reportChange) : reportChange_(std::move(reportChange)) { }

BitmapPixels::~BitmapPixels() = default;

PixelGrid* BitmapPixels::MutableGrid()
{
    if (grid_ && grid_.use_count() > 1)
        grid_ = grid_->Clone();
    return grid_.get();
}

void BitmapPixels::SetGrid(std::shared_ptr<PixelGrid> grid)
{
    grid_ = std::move(grid);
}

#pragma once

#include "picture/TBitmap.h"
#include "picture/detail/BitmapPixels.h"

#include <memory>
#include <utility>

class PixelGrid;

// The component's own way to a Bitmap's grid, which the Bitmap's public face
// does not show.
struct BitmapAccess {
    // Null without pixels. A caller that writes into another Bitmap while it
    // reads this grid keeps a copy of the pointer (BitmapPixels::Grid).
    static const std::shared_ptr<PixelGrid>& Grid(const TBitmap& bitmap) { return bitmap.pixels_.Grid(); }
    // Copied first while another Bitmap shares it; null without pixels.
    static PixelGrid* MutableGrid(TBitmap& bitmap) { return bitmap.pixels_.MutableGrid(); }
    // The Bitmap takes `grid` and its size, and reports the change.
    static void Adopt(TBitmap& bitmap, std::shared_ptr<PixelGrid> grid) { bitmap.AdoptGrid(std::move(grid)); }
};

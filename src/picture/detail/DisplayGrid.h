#pragma once

#include "picture/DisplayColorDepth.h"
#include "picture/TColor.h"

#include <cstdint>
#include <memory>
#include <vector>

class PixelGrid;

// The colour table of display-form surfaces on a display of 8 bits per pixel
// or fewer: the 6 x 6 x 6 colour cube followed by 40 greys.
std::vector<TColor> DisplayPalette();

// A new display-form grid of the given size at `depth`, zeroed, with the
// display palette on a palette screen. EOutOfResources as PixelGrid.
std::shared_ptr<PixelGrid> NewDisplayGrid(std::int32_t width, std::int32_t height, DisplayColorDepth depth);

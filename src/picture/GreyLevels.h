#pragma once

#include <memory>

class TBitmap;

// `picture` (which must have pixels) as grey levels, for looking for shapes
// in it: a new Bitmap of its size, 8 bits per pixel in its own form with the
// 256 greys as colour table, each pixel (77 red + 150 green + 29 blue + 128)
// / 256, the usual weights of the eye in fixed point.
std::unique_ptr<TBitmap> GreyLevels(const TBitmap& picture);

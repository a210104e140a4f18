#pragma once

#include "picture/TColor.h"

class PixelGrid;

// Copies `sourceRect` of `source` into `destRect` of `dest`, nearest
// neighbour: destination pixel (x, y) takes source pixel
//   (sourceRect.Left + (x - destRect.Left) * sourceWidth / destWidth,
//    sourceRect.Top + (y - destRect.Top) * sourceHeight / destHeight),
// computed in 64 bits and truncated. Destination pixels outside `dest` are cut
// off; those whose source pixel lies outside `source` keep their colour.
// Colours are converted to the destination's depth. A rectangle with a zero
// or negative side draws nothing. `dest` and `source` must not be the same
// grid.
void StretchCopy(PixelGrid& dest, const TRect& destRect, const PixelGrid& source, const TRect& sourceRect);

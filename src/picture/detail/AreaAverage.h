#pragma once

#include "picture/TColor.h"

class PixelGrid;

// A window on a grid in its pixel units, corners not necessarily on pixel
// edges: pixel (x, y) covers [x, x + 1) x [y, y + 1).
struct SourceWindow {
    double Left = 0;
    double Top = 0;
    double Right = 0;
    double Bottom = 0;
};

// Draws `window` of `source` into `destRect` of `dest` by area averaging (a
// box filter over exact footprints): destination pixel (x, y) covers the
// part of the window that a destRect-sized grid laid over it gives that
// pixel, and takes the mean colour of the source pixels under it, each
// weighted by how much of it lies inside. The window is clipped to the
// source first; a footprint that falls wholly outside takes the nearest
// source pixel. Averages are of the stored values (gamma-encoded, as a photo
// holds them): the DCT scaling that reduced the picture before averaged the
// same way, and so do the photo tools a user compares with. Destination
// pixels outside `dest` are cut off; colours are converted to its depth. An
// empty rectangle or window draws nothing. `dest` and `source` must not be
// the same grid.
void AreaAverage(PixelGrid& dest, const TRect& destRect, const PixelGrid& source, const SourceWindow& window);

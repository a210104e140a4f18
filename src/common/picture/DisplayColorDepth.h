#pragma once

#include "common/picture/TColor.h"

#include <cstdint>
#include <vector>

// The one setting of the picture component: the bits per pixel of the screen.
// It gives the depth of every new drawing surface ("display form") and so the
// bit count of every BMP file the tool writes. 32 unless the program sets
// another value at start-up (tests set 16, 24 or 32 to exercise the writer).
// A value of 8 or less also makes JPEG decoding quantise colour files to 236
// colours.
int DisplayColorDepth();

// Accepts 8, 16, 24 and 32; anything else throws std::invalid_argument.
void SetDisplayColorDepth(int bitsPerPixel);

// The largest pixel grid the component makes: 256 MiB, room for a 64-megapixel
// photo at 32 bits per pixel. Larger sizes (usually a damaged file's header)
// raise EOutOfResources before anything is allocated.
constexpr std::uint64_t kMaxGridBytes = std::uint64_t{1} << 28;

// The colour table of display-form surfaces on a display of 8 bits per pixel
// or fewer: the 6 x 6 x 6 colour cube followed by 40 greys.
std::vector<TColor> DisplayPalette();

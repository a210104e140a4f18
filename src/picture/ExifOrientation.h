#pragma once

#include <cstdint>

// How a photo's stored pixels must be turned or mirrored to show it upright:
// the values of the EXIF orientation tag, which cameras and phones write
// instead of turning the pixels themselves. Each name says where the stored
// first row and first column belong in the upright picture.
enum class ExifOrientation : std::uint8_t {
    TopLeft = 1,     // stored upright
    TopRight = 2,    // mirrored left to right
    BottomRight = 3, // upside down
    BottomLeft = 4,  // mirrored top to bottom
    LeftTop = 5,     // mirrored across the main diagonal
    RightTop = 6,    // needs a quarter turn clockwise
    RightBottom = 7, // mirrored across the other diagonal
    LeftBottom = 8,  // needs a quarter turn anticlockwise
};

// Whether the upright picture's width is the stored height (orientations 5 to 8).
constexpr bool SwapsSides(ExifOrientation orientation)
{
    return static_cast<int>(orientation) >= 5;
}

#include "common/picture/DisplayColorDepth.h"

#include <stdexcept>
#include <string>

namespace {

// The only mutable setting of the component; written at start-up (or by a
// test), read whenever a surface is made or a file written.
int& Depth()
{
    static int depth = 32;
    return depth;
}

} // namespace

int DisplayColorDepth()
{
    return Depth();
}

void SetDisplayColorDepth(int bitsPerPixel)
{
    if (bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32)
        throw std::invalid_argument("unsupported display colour depth " + std::to_string(bitsPerPixel));
    Depth() = bitsPerPixel;
}

std::vector<TColor> DisplayPalette()
{
    std::vector<TColor> palette;
    palette.reserve(256);
    for (int blue = 0; blue < 6; ++blue)
        for (int green = 0; green < 6; ++green)
            for (int red = 0; red < 6; ++red)
                palette.push_back(RGB(static_cast<std::uint8_t>(red * 51), static_cast<std::uint8_t>(green * 51),
                                      static_cast<std::uint8_t>(blue * 51)));
    // Greys between the cube's own six, evenly spread.
    for (int i = 1; i <= 40; ++i) {
        const auto level = static_cast<std::uint8_t>(i * 255 / 41);
        palette.push_back(RGB(level, level, level));
    }
    return palette;
}

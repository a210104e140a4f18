#include "picture/DisplayColorDepth.h"

#include <stdexcept>
#include <string>

DisplayColorDepth::DisplayColorDepth(int bitsPerPixel) : bitsPerPixel_(bitsPerPixel)
{
    if (bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32)
        throw std::invalid_argument("unsupported display colour depth " + std::to_string(bitsPerPixel));
}

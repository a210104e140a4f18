#pragma once

#include "picture/DisplayColorDepth.h"

#include <cstdint>
#include <memory>
#include <span>

class PixelGrid;

// What a BMP file's headers say, checked as ReadBmp checks them.
struct BmpHeader {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    int BitsPerPixel = 0;
};

// Reads only the file header and the bitmap header of a BMP file, so that a
// picture's kind and size can be told without reading its pixels. Throws as
// ReadBmp does for those headers: EInvalidGraphic for a file that is not a
// bitmap or one ReadBmp would refuse (planes, size, depth or compression),
// EReadError when the data ends inside a header.
BmpHeader ReadBmpHeader(std::span<const std::uint8_t> bytes);

// Reads a BMP file from memory. Never reads outside `bytes` and allocates
// nothing before the size is known to be within kMaxGridBytes.
//   EInvalidGraphic "Bitmap image is not valid": not "BM", planes not 1, an
//     impossible size, depth or compression, a run that leaves the grid, a
//     colour index past the colour table;
//   EReadError "Stream read error": the data ends inside a header, colour
//     table or mask block;
//   EOutOfResources: the grid would be larger than kMaxGridBytes.
// Uncompressed and bit-field files give an own-form grid of the file's depth
// (2-bit files an 8-bit one); run-length files a display-form grid at
// `displayDepth`.
std::shared_ptr<PixelGrid> ReadBmp(std::span<const std::uint8_t> bytes, DisplayColorDepth displayDepth);

#pragma once

#include "picture/DisplayColorDepth.h"
#include "picture/PictureHeaders.h"

#include <cstdint>
#include <memory>
#include <span>

class PixelGrid;

// Reads a BMP file from memory, checking its headers as ReadBmpHeader does
// (PictureHeaders.h). Never reads outside `bytes` and allocates
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

#pragma once

#include "picture/ExifOrientation.h"

#include <cstdint>
#include <span>

// What the headers of a BMP or JPEG file say, read without decoding its
// pixels: for telling a picture's kind and size cheaply.

// What a BMP file's headers say, checked as reading the whole file checks them.
struct BmpHeader {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    int BitsPerPixel = 0;
};

// Reads only the file header and the bitmap header of a BMP file, so that a
// picture's kind and size can be told without reading its pixels. Throws as
// loading the file does for those headers: EInvalidGraphic for a file that is
// not a bitmap or one loading would refuse (planes, size, depth or
// compression), EReadError when the data ends inside a header.
BmpHeader ReadBmpHeader(std::span<const std::uint8_t> bytes);

// What the frame header of a JPEG file says, and the EXIF orientation of its
// first EXIF segment (TopLeft without one). The sizes are the stored ones.
struct JpegHeader {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    int Components = 0;
    ExifOrientation Orientation = ExifOrientation::TopLeft;
};

// Runs libjpeg's header reader over `bytes` (a full image required).
// EJPEG with libjpeg's message code: 42 no data, 53 not a JPEG file, 51 no
// image before the data ends.
JpegHeader ReadJpegHeader(std::span<const std::uint8_t> bytes);

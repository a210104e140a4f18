#pragma once

#include <cstdint>

// The Windows BMP format, as the reader and the writer share it. A file starts
// with a 14-byte file header ("BM", the file size, two reserved words, the
// offset of the pixel data), then a bitmap header whose first field is its own
// size: the 12-byte core header of OS/2 1.x (16-bit width and height, planes,
// bits per pixel; 3-byte colour table entries) or an info header of 16 bytes
// or more (BITMAPINFOHEADER is 40; OS/2 2.x, V2, V3, V4 and V5 headers are 16
// to 124, 4-byte colour table entries). After the size an info header holds:
//   +4 width, +8 height (negative: top row first), +12 planes, +14 bits per
//   pixel, +16 compression, +20 image size, +24/+28 resolution, +32 colours
//   used, +36 important colours, +40/+44/+48 red, green, blue masks (V2 and
//   later), +52 alpha mask.
// Fields a short header leaves out count as zero. Then come the masks of a
// bit-field file with a 40-byte header, the colour table, and the rows,
// bottom row first unless the height is negative, each padded to whole 32-bit
// words.
namespace BmpFormat {

constexpr std::uint8_t kSignature[2] = {'B', 'M'};
constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kMinimumInfoHeaderSize = 16;
// The smallest info header that holds the red, green and blue masks.
constexpr std::uint32_t kHeaderWithMasksSize = 52;

// Bytes of one colour table entry: blue, green, red (and a reserved byte).
constexpr std::uint32_t kCoreTableEntrySize = 3;
constexpr std::uint32_t kInfoTableEntrySize = 4;

// The compression field.
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitFields = 3; // with 1 bit per pixel: OS/2 Huffman 1D
constexpr std::uint32_t kBiJpeg = 4;      // with 24 bits per pixel: OS/2 RLE24
constexpr std::uint32_t kBiAlphaBitFields = 6;

} // namespace BmpFormat

#pragma once

#include <cstdint>
#include <vector>

class PixelGrid;

// Appends `grid` to `out` as a BMP file: 14-byte file header, 40-byte info
// header, colour table at 8 bits per pixel or fewer, the three masks of a
// bit-field grid, then the rows bottom row first, each padded with zero bytes
// to a multiple of four.
void WriteBmp(const PixelGrid& grid, std::vector<std::uint8_t>& out);

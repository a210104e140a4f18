#pragma once

#include <cstdint>
#include <vector>

class PixelGrid;
struct JpegSettings;

// `grid` compressed by libjpeg as a baseline JPEG file (JpegWriter.h says
// what the settings do). Rows go to libjpeg straight from the grid when its
// layout is one libjpeg reads (24 bits blue, green, red; 32 bits with a
// padding byte), else converted a row at a time. A grid at 8 bits or fewer
// whose colour table holds only greys is written as a one-channel grey file.
// EJPEG when libjpeg fails.
std::vector<std::uint8_t> CompressJpeg(const PixelGrid& grid, const JpegSettings& settings);

#pragma once

#include "picture/TColor.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class PixelGrid;

enum class JpegColors {
    Full,      // colour files to 24 bits, grayscale files quantised to 236 greys
    Quantised, // every file quantised to 236 colours (8-bit displays)
    Rgb,       // every file to 24 bits, grey levels too: for averaging, not for showing as decoded
};

// libjpeg's DCT scaling: a picture decoded at n/8 of its stored size (n from
// 1 to 8) is ceil(width * n / 8) by ceil(height * n / 8) pixels; each 8 by 8
// block of the data becomes n by n pixels straight from its coefficients.
inline constexpr int kFullScaleEighths = 8;

// Decodes every row into a new own-form grid: 24 bits per pixel (blue, green,
// red), or 8 bits with a colour table made from libjpeg's colour map when
// quantising (a grey entry per level for a grayscale file). Full size, block
// smoothing on, libjpeg's defaults otherwise. Data that ends early is ended
// with an end-of-image marker, so a truncated file decodes (partly grey).
// CMYK and YCCK files are converted to RGB, reading Adobe files' values as
// inverted. EJPEG on a fatal libjpeg error; EOutOfResources for a grid over
// kMaxGridBytes, before anything large is allocated.
// `eighths` below 8 decodes at that fraction of the stored size instead.
std::shared_ptr<PixelGrid> DecodeJpeg(std::span<const std::uint8_t> bytes, JpegColors colors,
                                      int eighths = kFullScaleEighths);

// The same decoding, but only `region` of it (in the pixels of the decoding at
// that scale, as stored; clipped to it, and std::invalid_argument when nothing
// is left): pixel (x, y) of the result is pixel (region.Left + x, region.Top +
// y) of DecodeJpeg's. Only that region's grid is made, so the limit applies to
// it alone. Rows above the region are skipped before their colour conversion
// (read and dropped when quantising), rows below it are not decoded at all,
// and libjpeg gives out only the region's columns and a margin (not when
// quantising, whose dithering runs along each row); so damage below the
// region goes unseen.
std::shared_ptr<PixelGrid> DecodeJpegRegion(std::span<const std::uint8_t> bytes, JpegColors colors, int eighths,
                                            const TRect& region);

// The same decoding, but only the stored pixels at the given columns and rows
// are kept: pixel (c, r) of the result is pixel (columns[c], rows[r]) of the
// full decoding, so a nearest-neighbour draw can be made of exactly the pixels
// it would pick. Both lists may be in any order and repeat entries; every
// entry must lie inside the image. Rows no sample falls on are skipped without
// colour conversion (read and dropped when quantising, where the dithering
// needs every row).
// Several such samplings are made in one pass over the data: one grid for
// each entry, in their order. A row that several of them need is decoded once.
// Only the columns from the first sampled to the last (and a margin) are
// given out by libjpeg, except when quantising; rows below the last sampled
// one are not decoded.
struct SampledGridPlan {
    std::span<const std::int32_t> Columns;
    std::span<const std::int32_t> Rows;
};
std::vector<std::shared_ptr<PixelGrid>> DecodeJpegSampledGrids(std::span<const std::uint8_t> bytes, JpegColors colors,
                                                               std::span<const SampledGridPlan> plans);

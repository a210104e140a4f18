#pragma once

#include <cstdint>
#include <memory>
#include <span>

class PixelGrid;

// What the frame header of a JPEG file says.
struct JpegHeader {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    int Components = 0;
};

enum class JpegColours {
    Full,        // colour files to 24 bits, grayscale files quantised to 236 greys
    Quantised,   // every file quantised to 236 colours (8-bit displays)
};

// Runs libjpeg's header reader over `bytes` (a full image required).
// EJPEG with libjpeg's message code: 42 no data, 53 not a JPEG file, 51 no
// image before the data ends.
JpegHeader ReadJpegHeader(std::span<const std::uint8_t> bytes);

// Decodes every row into a new own-form grid: 24 bits per pixel (blue, green,
// red), or 8 bits with a colour table made from libjpeg's colour map when
// quantising (a grey entry per level for a grayscale file). Full size, block
// smoothing on, libjpeg's defaults otherwise. Data that ends early is ended
// with an end-of-image marker, so a truncated file decodes (partly grey).
// CMYK and YCCK files are converted to RGB, reading Adobe files' values as
// inverted. EJPEG on a fatal libjpeg error; EOutOfResources for a grid over
// kMaxGridBytes, before anything large is allocated.
std::shared_ptr<PixelGrid> DecodeJpeg(std::span<const std::uint8_t> bytes, JpegColours colours);

// The same decoding, but only the pixels that nearest-neighbour sampling to
// `targetWidth` x `targetHeight` picks are kept: pixel (x, y) of the result is
// pixel (x * width / targetWidth, y * height / targetHeight) of the full
// decoding (truncated), so drawing the result unscaled gives exactly what
// drawing the full decoding scaled gives. Rows no sample falls on are skipped
// without colour conversion (read and dropped when quantising, where the
// dithering needs every row). The target must not be larger than the image in
// either direction.
std::shared_ptr<PixelGrid> DecodeJpegSampled(std::span<const std::uint8_t> bytes, JpegColours colours,
                                             std::int32_t targetWidth, std::int32_t targetHeight);

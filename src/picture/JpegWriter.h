#pragma once

#include "picture/JpegSettings.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class TBitmap;

// Pictures written as JPEG files by libjpeg's compressor: baseline (one
// sequential scan, Huffman tables fitted to the picture), no metadata unless
// asked for. A photo of 120 x 180 is about 8 KB at quality 90, against 86 KB
// as a 32-bit BMP file.

// `picture` as a JPEG file. A Bitmap holding only grey levels through its
// colour table (what decoding a grey JPEG file gives) is written as a grey
// file of one channel; any other as colour. EJPEG with libjpeg's message code
// when libjpeg refuses (a side over 65,500 pixels); EInvalidGraphic for a
// Bitmap without pixels. std::invalid_argument for a quality outside 1 to 100
// or a capture time not of the form JpegSettings.h gives.
std::vector<std::uint8_t> EncodeJpeg(const TBitmap& picture, const JpegSettings& settings = {});

// A JPEG file of `picture` that holds at most `maxBytes` bytes, at the highest
// quality from `settings.Quality` down to `lowestQuality` that gives one, and
// that quality. The search halves the range of qualities each step (at most
// nine encodings), which finds the highest one because libjpeg's files grow
// with the quality for a given picture. EJpegTooLarge when even
// `lowestQuality` gives more than `maxBytes`; std::invalid_argument when
// `lowestQuality` is not from 1 to `settings.Quality`.
struct JpegWithinLimit {
    std::vector<std::uint8_t> Bytes;
    int Quality = 0;
};
JpegWithinLimit EncodeJpegWithin(const TBitmap& picture, std::size_t maxBytes, int lowestQuality,
                                 const JpegSettings& settings = {});

// Saves `picture` at `file` as the tool saves its photos: JPEG at quality 90,
// colour halved (4:2:0), with the capture time when one is given. The file is
// created or replaced (WriteFileBytes: EFCreateError, EWriteError), and
// EncodeJpeg's errors come first.
void SavePhotoAsJpeg(const TBitmap& picture, const std::filesystem::path& file,
                     const std::optional<std::string>& captureTime = std::nullopt);

#pragma once

#include "picture/PictureSize.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

class TBitmap;

// A photo file as the face checks look at it: upright, reduced to a few
// hundred pixels, with its full upright size and, for a JPEG file, the time
// its EXIF data says it was taken.
struct ReducedPhoto {
    PictureSize upright;
    std::unique_ptr<TBitmap> pixels; // shorter side at most the one asked for
    std::optional<std::string> captureTime;
};

// Reads `file` with the picture component, the kind told from its first
// bytes (LoadPictureByContent), and samples it down so that its shorter
// side is at most `shortSide` (a smaller photo keeps its size). A JPEG photo
// is sampled while it is decoded, without a full-size picture in memory.
// Throws the picture component's errors (ENotAPicture for a file that is
// neither JPEG nor BMP), or std::runtime_error for a picture without pixels.
ReducedPhoto ReadReducedPhoto(const std::filesystem::path& file, std::int32_t shortSide);

#pragma once

#include <optional>
#include <string>

// How the JPEG writer (JpegWriter.h) writes a file.

// How the two colour-difference channels are stored.
enum class ChromaSampling {
    Halved, // 4:2:0, one colour sample for every 2 x 2 pixels: what cameras write, the smaller file
    Full,   // 4:4:4, one for every pixel: sharper colour edges, about a third larger
};

// The quality the tool writes its photos at: the batch resize, the capture
// window and the photo day.
inline constexpr int kPhotoJpegQuality = 90;

struct JpegSettings {
    // libjpeg's quality scale, 1 to 100; its quantisation tables are kept to
    // 8 bits, as a baseline file needs.
    int Quality = kPhotoJpegQuality;
    ChromaSampling Chroma = ChromaSampling::Halved;
    // When set, the time the photo was taken, "YYYY:MM:DD HH:MM:SS" (the
    // camera's clock, no time zone, as ExifCaptureTime.h reads it back), is
    // written as EXIF DateTimeOriginal in an APP1 segment, in place of the
    // JFIF header. Unset, the file holds no EXIF data at all.
    std::optional<std::string> CaptureTime = std::nullopt;
};

#pragma once

#include "picture/ExifOrientation.h"

#include <cstdint>
#include <span>

// The EXIF orientation of a JPEG file's APP1 segment, for the header reader.

// Whether an APP1 segment's payload (the bytes after the segment's length)
// is EXIF data: it starts "Exif\0\0". APP1 also carries other data (XMP).
bool IsExifPayload(std::span<const std::uint8_t> app1Payload);

// The orientation given in the first image directory of an APP1 segment's
// payload (the bytes after the segment's length, starting "Exif\0\0"), read
// with libexif. TopLeft when the payload is no EXIF data or carries no
// orientation, or one outside 1 to 8: such a photo is shown as stored.
ExifOrientation OrientationFromExif(std::span<const std::uint8_t> app1Payload);

#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

// When a JPEG photo was taken, as its EXIF data says: the original capture
// time ("2024:09:02 08:15:31", the camera's clock, no time zone), else the
// time the file was written by the camera. Nothing for a file without EXIF
// data or without either tag, or for one that is no JPEG file. Only the
// segments before the picture data are looked at.
std::optional<std::string> ExifCaptureTime(std::span<const std::uint8_t> jpegFile);

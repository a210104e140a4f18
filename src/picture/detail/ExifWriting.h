#pragma once

#include <cstdint>
#include <string>
#include <vector>

// EXIF data made for a JPEG file the tool writes.

// Whether `text` is an EXIF date and time: "YYYY:MM:DD HH:MM:SS", digits where
// the form has letters, a month from 1 to 12, a day from 1 to 31, hours to
// 23, minutes and seconds to 59.
bool IsExifDateTime(const std::string& text);

// The payload of an APP1 segment (starting "Exif\0\0") whose EXIF directory
// holds the EXIF version and DateTimeOriginal `captureTime`, which must be an
// EXIF date and time. Intel byte order, no thumbnail, nothing else.
std::vector<std::uint8_t> CaptureTimeExif(const std::string& captureTime);

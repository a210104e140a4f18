#pragma once
// Helpers shared by the picture component's tests, and the headers all of
// them use.

#include "picture/DisplayColorDepth.h"
#include "picture/PictureErrors.h"
#include "picture/TBitmap.h"
#include "picture/TCanvas.h"
#include "picture/TColor.h"
#include "picture/TJPEGImage.h"
#include "picture/TPicture.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

inline std::filesystem::path TestData(const std::string& relative)
{
    return std::filesystem::path(SP_TESTDATA_DIR) / relative;
}

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A path as the UTF-8 text the component's messages carry.
inline std::string Utf8(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

// A new, empty folder in the system's temporary folder, removed with all it
// holds when the test ends.
struct ScratchFolder {
    ScratchFolder()
    {
        std::random_device random;
        do
            path = std::filesystem::temp_directory_path() / ("sp-picture-test-" + std::to_string(random()));
        while (!std::filesystem::create_directory(path));
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ~ScratchFolder() { std::filesystem::remove_all(path, ignored); }
    const std::filesystem::path& Path() const { return path; }
    std::filesystem::path path;
    std::error_code ignored;
};

// A test name made of `text`: letters and digits kept, the rest '_'.
inline std::string NameOf(const std::string& text)
{
    std::string name;
    for (char c : text)
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

// A bitmap of its display colour depth with every pixel set by `colorAt`.
template <class ColorAt> void Paint(TBitmap& bitmap, std::int32_t width, std::int32_t height, ColorAt colorAt)
{
    bitmap.SetSize(width, height);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            bitmap.Canvas().SetPixel(x, y, colorAt(x, y));
}

// A colour that differs for every pixel of a small surface.
inline TColor Distinct(std::int32_t x, std::int32_t y)
{
    return RGB(static_cast<std::uint8_t>(x * 7 + 1), static_cast<std::uint8_t>(y * 5 + 2),
               static_cast<std::uint8_t>((x ^ y) * 3 + 3));
}

inline TColor White(std::int32_t, std::int32_t)
{
    return clWhite;
}

// Compares every pixel of `bitmap` with `wantAt(x, y)`, a 0x00RRGGBB word or
// nothing for a pixel with no colour to compare, each channel within
// `tolerance`; reports the number of differences and the first one.
template <class WantAt>::testing::AssertionResult ComparePixels(const TBitmap& bitmap, WantAt wantAt, int tolerance = 0)
{
    std::vector<std::uint32_t> row(static_cast<std::size_t>(bitmap.Width()));
    std::int64_t differences = 0;
    std::string first;
    for (std::int32_t y = 0; y < bitmap.Height(); ++y) {
        bitmap.ReadRowRGB32(y, row.data());
        for (std::int32_t x = 0; x < bitmap.Width(); ++x) {
            const std::optional<std::uint32_t> want = wantAt(x, y);
            const std::uint32_t got = row[static_cast<std::size_t>(x)];
            bool same = true;
            for (int shift = 0; want && shift < 24; shift += 8)
                same = same && std::abs(int((got >> shift) & 0xFF) - int((*want >> shift) & 0xFF)) <= tolerance;
            if (!same && differences++ == 0) {
                std::ostringstream text;
                text << "first at (" << x << "," << y << "): got 0x" << std::hex << got << " want 0x" << *want;
                first = text.str();
            }
        }
    }
    if (differences != 0)
        return ::testing::AssertionFailure() << differences << " pixels differ, " << first;
    return ::testing::AssertionSuccess();
}

// Checks that every pixel of `bitmap` has the colour `colorAt` gives it.
template <class ColorAt>::testing::AssertionResult PixelsAre(const TBitmap& bitmap, ColorAt colorAt)
{
    return ComparePixels(bitmap, [&](std::int32_t x, std::int32_t y) {
        const TColor c = colorAt(x, y);
        return std::optional<std::uint32_t>((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
    });
}

inline ::testing::AssertionResult SameSize(const TBitmap& bitmap, std::int32_t width, std::int32_t height)
{
    if (bitmap.Width() == width && bitmap.Height() == height)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "size " << bitmap.Width() << "x" << bitmap.Height() << " vs " << width
                                         << "x" << height;
}

// Checks that two bitmaps have the same size and the same colour everywhere.
inline ::testing::AssertionResult SamePixels(const TBitmap& bitmap, TBitmap& expected)
{
    if (const auto size = SameSize(bitmap, expected.Width(), expected.Height()); !size)
        return size;
    return PixelsAre(bitmap, [&](std::int32_t x, std::int32_t y) { return expected.Canvas().GetPixel(x, y); });
}

// The peak signal-to-noise ratio in decibels of `bitmap` against the 0x00RRGGBB
// word `wantAt(x, y)` gives each pixel, over the three channels: about 40 for
// a photo after a good JPEG encoding, infinity for equal pixels, below 20 for
// a picture with a channel or a row out of place.
template <class WantAt> double PeakSignalToNoise(const TBitmap& bitmap, WantAt wantAt)
{
    std::vector<std::uint32_t> row(static_cast<std::size_t>(bitmap.Width()));
    double squares = 0;
    for (std::int32_t y = 0; y < bitmap.Height(); ++y) {
        bitmap.ReadRowRGB32(y, row.data());
        for (std::int32_t x = 0; x < bitmap.Width(); ++x) {
            const std::uint32_t want = wantAt(x, y);
            for (int shift = 0; shift < 24; shift += 8) {
                const double difference =
                    double((row[static_cast<std::size_t>(x)] >> shift) & 0xFF) - double((want >> shift) & 0xFF);
                squares += difference * difference;
            }
        }
    }
    const double samples = 3.0 * bitmap.Width() * bitmap.Height();
    if (squares == 0 || samples == 0)
        return std::numeric_limits<double>::infinity();
    return 10 * std::log10(255.0 * 255.0 * samples / squares);
}

// The same between two bitmaps of one size.
inline double PeakSignalToNoise(const TBitmap& bitmap, const TBitmap& reference)
{
    std::vector<std::uint32_t> row(static_cast<std::size_t>(reference.Width()));
    std::int32_t rowRead = -1;
    return PeakSignalToNoise(bitmap, [&](std::int32_t x, std::int32_t y) {
        if (y != rowRead)
            reference.ReadRowRGB32(rowRead = y, row.data());
        return row[static_cast<std::size_t>(x)];
    });
}

#pragma once
// Helpers shared by the picture component's tests, and the headers all of
// them use.

#include "common/picture/DisplayColorDepth.h"
#include "common/picture/PictureErrors.h"
#include "common/picture/TBitmap.h"
#include "common/picture/TCanvas.h"
#include "common/picture/TColor.h"
#include "common/picture/TJPEGImage.h"
#include "common/picture/TPicture.h"

#include <QImage>
#include <QTransform>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
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

// A test name made of `text`: letters and digits kept, the rest '_'.
inline std::string NameOf(const std::string& text)
{
    std::string name;
    for (char c : text)
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

// The message of the `Error` that `action` raises, or "no error". A picture
// error of another type escapes and fails the test.
template <class Error = EPictureError, class Action>
std::string ErrorOf(Action&& action)
{
    try {
        std::forward<Action>(action)();
    } catch (const Error& error) {
        return error.what();
    }
    return "no error";
}

// Sets the display colour depth for one test and puts it back afterwards.
struct DisplayDepthScope {
    explicit DisplayDepthScope(int bits) { SetDisplayColorDepth(bits); }
    DisplayDepthScope(const DisplayDepthScope&) = delete;
    ~DisplayDepthScope() { SetDisplayColorDepth(saved); }
    const int saved = DisplayColorDepth();
};

// A bitmap of the display's depth with every pixel set by `colourAt`.
template <class ColourAt>
void Paint(TBitmap& bitmap, std::int32_t width, std::int32_t height, ColourAt colourAt)
{
    bitmap.SetSize(width, height);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            bitmap.Canvas().SetPixel(x, y, colourAt(x, y));
}

// A colour that differs for every pixel of a small surface.
inline TColor Distinct(std::int32_t x, std::int32_t y)
{
    return RGB(static_cast<std::uint8_t>(x * 7 + 1), static_cast<std::uint8_t>(y * 5 + 2),
               static_cast<std::uint8_t>((x ^ y) * 3 + 3));
}

inline TColor White(std::int32_t, std::int32_t) { return clWhite; }

// Compares every pixel of `bitmap` with `wantAt(x, y)`, a 0x00RRGGBB word or
// nothing for a pixel with no colour to compare, each channel within
// `tolerance`; reports the number of differences and the first one.
template <class WantAt>
::testing::AssertionResult ComparePixels(const TBitmap& bitmap, WantAt wantAt, int tolerance = 0)
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
            if (!same && differences++ == 0)
                first = "first at (" + std::to_string(x) + "," + std::to_string(y) + "): got 0x"
                        + QString::number(got, 16).toStdString() + " want 0x"
                        + QString::number(*want, 16).toStdString();
        }
    }
    if (differences != 0)
        return ::testing::AssertionFailure() << differences << " pixels differ, " << first;
    return ::testing::AssertionSuccess();
}

// Checks that every pixel of `bitmap` has the colour `colourAt` gives it.
template <class ColourAt>
::testing::AssertionResult PixelsAre(const TBitmap& bitmap, ColourAt colourAt)
{
    return ComparePixels(bitmap, [&](std::int32_t x, std::int32_t y) {
        const TColor c = colourAt(x, y);
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

// The same against a reference image, each channel within `tolerance`. A
// fully transparent reference pixel has no colour to compare; a translucent
// one is compared by its colour as stored (not premultiplied).
inline ::testing::AssertionResult SamePixels(const TBitmap& bitmap, const QImage& reference, int tolerance = 0)
{
    if (const auto size = SameSize(bitmap, reference.width(), reference.height()); !size)
        return size;
    const QImage expected = reference.convertToFormat(QImage::Format_ARGB32);
    return ComparePixels(bitmap, [&](std::int32_t x, std::int32_t y) -> std::optional<std::uint32_t> {
        const QRgb pixel = reinterpret_cast<const QRgb*>(expected.constScanLine(y))[x];
        if (qAlpha(pixel) == 0)
            return std::nullopt;
        return pixel & 0xFFFFFF;
    }, tolerance);
}

// `stored` as a viewer shows it for an EXIF orientation (1 to 8), made with
// Qt's own turns and mirrors.
inline QImage UprightReference(const QImage& stored, int orientation)
{
    if (stored.isNull())
        return stored;
    const int quarterTurns[] = {0, 0, 0, 2, 0, 1, 1, 3, 3};   // clockwise, by orientation
    const bool mirrored[] = {false, false, true, false, false, true, false, true, false};
    const bool flipped = orientation == 4;
    QImage image = stored.transformed(QTransform().rotate(90.0 * quarterTurns[orientation]));
    return image.mirrored(mirrored[orientation], flipped);
}

// Runs djpeg (libjpeg-turbo's tool, the reference decoder) on `jpeg` with
// `arguments` and reads its BMP output; a null image when djpeg fails (exit
// code 2 only reports warnings, such as a truncated file).
inline QImage DecodeWithDjpeg(const std::filesystem::path& jpeg, const QStringList& arguments)
{
    QTemporaryDir folder;
    const QString output = folder.filePath(QStringLiteral("out.bmp"));
    QProcess djpeg;
    djpeg.start(QStringLiteral("djpeg"), QStringList(arguments) << QStringLiteral("-outfile") << output
                                                                << QString::fromStdString(jpeg.string()));
    if (!djpeg.waitForFinished(60000) || djpeg.exitStatus() != QProcess::NormalExit || (djpeg.exitCode() != 0 && djpeg.exitCode() != 2))
        return {};
    return QImage(output, "BMP");
}

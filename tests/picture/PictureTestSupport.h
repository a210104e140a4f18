#pragma once

#include "common/picture/DisplayColorDepth.h"
#include "common/picture/TBitmap.h"
#include "common/picture/TColor.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Helpers shared by the picture component's tests.

inline std::filesystem::path TestData(const std::string& relative)
{
    return std::filesystem::path(SP_TESTDATA_DIR) / relative;
}

inline std::filesystem::path PictureTestFile(const std::string& relative)
{
    return std::filesystem::path(SP_PICTURE_TEST_DIR) / relative;
}

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Sets the display colour depth for one test and puts it back afterwards.
class DisplayDepthScope {
public:
    explicit DisplayDepthScope(int bits)
        : saved_(DisplayColorDepth())
    {
        SetDisplayColorDepth(bits);
    }
    DisplayDepthScope(const DisplayDepthScope&) = delete;
    DisplayDepthScope& operator=(const DisplayDepthScope&) = delete;
    ~DisplayDepthScope() { SetDisplayColorDepth(saved_); }

private:
    int saved_;
};

// A bitmap of the display's depth with every pixel set by `colourAt`.
template <class ColourAt>
void Paint(TBitmap& bitmap, std::int32_t width, std::int32_t height, ColourAt colourAt)
{
    bitmap.SetWidth(width);
    bitmap.SetHeight(height);
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

// Compares every pixel's colour, each channel within `tolerance`; reports the
// number of differences and the first one.
inline ::testing::AssertionResult SamePixels(const TBitmap& bitmap, const QImage& reference, int tolerance = 0)
{
    if (bitmap.Width() != reference.width() || bitmap.Height() != reference.height())
        return ::testing::AssertionFailure() << "size " << bitmap.Width() << "x" << bitmap.Height() << " vs "
                                             << reference.width() << "x" << reference.height();
    // Not premultiplied: the colour of a translucent reference pixel is kept
    // as stored, and only that colour is compared.
    const QImage expected = reference.convertToFormat(QImage::Format_ARGB32);
    std::vector<std::uint32_t> row(static_cast<std::size_t>(bitmap.Width()));
    std::int64_t differences = 0;
    std::string first;
    for (std::int32_t y = 0; y < bitmap.Height(); ++y) {
        bitmap.ReadRowRGB32(y, row.data());
        const auto* line = reinterpret_cast<const std::uint32_t*>(expected.constScanLine(y));
        for (std::int32_t x = 0; x < bitmap.Width(); ++x) {
            // A fully transparent reference pixel has no colour to compare.
            if ((line[x] >> 24) == 0)
                continue;
            const std::uint32_t want = line[x] & 0xFFFFFF;
            const std::uint32_t got = row[static_cast<std::size_t>(x)];
            bool same = true;
            for (int shift = 0; shift < 24; shift += 8)
                same = same && std::abs(static_cast<int>((got >> shift) & 0xFF) - static_cast<int>((want >> shift) & 0xFF))
                                   <= tolerance;
            if (!same) {
                if (differences++ == 0)
                    first = "first at (" + std::to_string(x) + "," + std::to_string(y) + "): got "
                            + std::to_string(row[static_cast<std::size_t>(x)]) + " want " + std::to_string(want);
            }
        }
    }
    if (differences != 0)
        return ::testing::AssertionFailure() << differences << " pixels differ, " << first;
    return ::testing::AssertionSuccess();
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

#pragma once

#include "files/FileSystemPath.h"
#include "picture/ExifCaptureTime.h"
#include "picture/TBitmap.h"
#include "picture/TJPEGImage.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The photos the tool writes are JPEG files by what they hold, whatever
// their names say: these read them as such, and hold them against the
// pictures they were written from.

// The picture of the JPEG file at `path`, decoded by the picture component;
// EJPEG for a file of any other kind (BMP data under a .jpg name, say).
inline std::unique_ptr<TBitmap> DecodedJpegFile(const QString& path)
{
    TJPEGImage jpeg;
    jpeg.LoadFromFile(FileSystemPath(path));
    auto picture = std::make_unique<TBitmap>();
    picture->Assign(&jpeg);
    return picture;
}

// The time its EXIF data says the photo in `file` was taken, "YYYY:MM:DD HH:MM:SS".
inline std::optional<std::string> CaptureTimeOf(const QByteArray& file)
{
    return ExifCaptureTime(std::vector<std::uint8_t>(file.cbegin(), file.cend()));
}

// How far a decoded JPEG file is from the picture written: the mean
// difference over every channel of every pixel, 0 to 255. Pictures of
// different sizes are as far apart as can be.
inline double MeanDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull())
        return 255;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * a.width() * a.height());
}

// A Bitmap's pixels as a picture, to hold against a saved file.
inline QImage ImageOf(const TBitmap& picture)
{
    QImage image(picture.Width(), picture.Height(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        picture.ReadRowRGB32(y, reinterpret_cast<std::uint32_t*>(image.scanLine(y)));
    return image;
}

// Whether `found` is `expected` as JPEG at quality 90 keeps a flat colour:
// within a few levels in each channel.
inline testing::AssertionResult NearColour(const QColor& found, const QColor& expected)
{
    constexpr int kTolerance = 6;
    if (std::abs(found.red() - expected.red()) <= kTolerance && std::abs(found.green() - expected.green()) <= kTolerance
        && std::abs(found.blue() - expected.blue()) <= kTolerance)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "found " << found.name().toStdString() << ", expected "
                                       << expected.name().toStdString();
}

#pragma once
// What a resize should write, seen without the picture component: djpeg's
// decoding of the source, sampled, against the output read back by Qt.

#include "support/Djpeg.h"

#include <QImage>
#include <QRect>

#include <gtest/gtest.h>

// The nearest-neighbour sample of `source`, or of its `region`, at `size` by
// the picture component's index rule: destination pixel d of D takes source
// pixel start + d * S / D.
inline QImage NearestNeighbourSample(const QImage& source, QSize size, QRect region = {})
{
    if (region.isNull())
        region = source.rect();
    QImage sample(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            sample.setPixel(x, y,
                            source.pixel(region.x() + int(qint64(x) * region.width() / size.width()),
                                         region.y() + int(qint64(y) * region.height() / size.height())));
    return sample;
}

// Checks that the picture at `output` (BMP data under whatever name) has
// `size` and every pixel of the sample of djpeg's decoding of `jpeg`.
inline ::testing::AssertionResult IsSampleOf(const QString& output, const QString& jpeg, QSize size,
                                             const QStringList& djpegArguments = {}, QRect region = {})
{
    const QImage written = QImage(output, "BMP").convertToFormat(QImage::Format_RGB32);
    if (written.size() != size)
        return ::testing::AssertionFailure()
               << output.toStdString() << " is " << written.width() << " x " << written.height();
    const QImage reference = DecodeWithDjpeg(jpeg, djpegArguments);
    if (reference.isNull())
        return ::testing::AssertionFailure() << "djpeg could not decode " << jpeg.toStdString();
    const QImage expected = NearestNeighbourSample(reference, size, region);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            if (written.pixel(x, y) != expected.pixel(x, y))
                return ::testing::AssertionFailure()
                       << output.toStdString() << ": pixel (" << x << ", " << y << ") is "
                       << QString::number(written.pixel(x, y), 16).toStdString() << ", djpeg's sample "
                       << QString::number(expected.pixel(x, y), 16).toStdString();
    return ::testing::AssertionSuccess();
}

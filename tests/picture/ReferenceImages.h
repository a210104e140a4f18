#pragma once
// Reference pixels from outside the component, read with Qt: PNG renderings
// and djpeg's output. Only the Linux build has them.

#include "PictureTestSupport.h"
#include "support/Djpeg.h"

#include <QImage>
#include <QTransform>

// Checks that `bitmap` has the pixels of a reference image, each channel
// within `tolerance`. A fully transparent reference pixel has no colour to
// compare; a translucent one is compared by its colour as stored (not
// premultiplied).
inline ::testing::AssertionResult SamePixels(const TBitmap& bitmap, const QImage& reference, int tolerance = 0)
{
    if (const auto size = SameSize(bitmap, reference.width(), reference.height()); !size)
        return size;
    const QImage expected = reference.convertToFormat(QImage::Format_ARGB32);
    return ComparePixels(
        bitmap,
        [&](std::int32_t x, std::int32_t y) -> std::optional<std::uint32_t> {
            const QRgb pixel = reinterpret_cast<const QRgb*>(expected.constScanLine(y))[x];
            if (qAlpha(pixel) == 0)
                return std::nullopt;
            return pixel & 0xFFFFFF;
        },
        tolerance);
}

// `stored` as a viewer shows it for an EXIF orientation (1 to 8), made with
// Qt's own turns and mirrors.
inline QImage UprightReference(const QImage& stored, int orientation)
{
    if (stored.isNull())
        return stored;
    const int quarterTurns[] = {0, 0, 0, 2, 0, 1, 1, 3, 3}; // clockwise, by orientation
    const bool mirrored[] = {false, false, true, false, false, true, false, true, false};
    const bool flipped = orientation == 4;
    QImage image = stored.transformed(QTransform().rotate(90.0 * quarterTurns[orientation]));
    return image.mirrored(mirrored[orientation], flipped);
}

#include "assignment/views/Thumbnail.h"

#include "assignment/checks/PhotoPixels.h"
#include "picture/TBitmap.h"

#include <QBuffer>

#include <algorithm>
#include <cstdint>

namespace {

QImage ToImage(const TBitmap& bitmap)
{
    QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_RGB32);
    if (image.isNull())
        return {};
    for (std::int32_t y = 0; y < bitmap.Height(); ++y) {
        auto* line = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        bitmap.ReadRowRGB32(y, line);
        for (std::int32_t x = 0; x < bitmap.Width(); ++x)
            line[x] |= 0xFF000000U;
    }
    return image;
}

} // namespace

QImage MakeThumbnail(const QString& path, QSize box)
{
    if (box.isEmpty())
        return {};
    try {
        PhotoPixels photo(path);
        const PictureSize size = photo.Size();
        const QSize whole(size.Width, size.Height);
        // A small photo is shown at its own size, never enlarged.
        const QSize shown =
            whole.boundedTo(box) == whole ? whole : whole.scaled(box, Qt::KeepAspectRatio).expandedTo({1, 1});
        // Sampled at twice the shown size and then smoothed down: a
        // nearest-neighbour sample alone would show the grain of a large
        // photo's every 30th pixel.
        const QSize sampled = (shown * 2).boundedTo(whole);
        QImage image = ToImage(*photo.Sample({sampled.width(), sampled.height()}));
        if (image.isNull() || image.size() == shown)
            return image;
        return image.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } catch (const EUnreadablePhoto&) {
        return {};
    }
}

QByteArray ThumbnailJpeg(const QImage& thumbnail)
{
    if (thumbnail.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    thumbnail.convertToFormat(QImage::Format_RGB32).save(&buffer, "JPEG", 85);
    return bytes;
}

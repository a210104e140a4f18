#include "assignment/Thumbnail.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

QImage MakeThumbnail(const QString& path, QSize box)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > box.width() || size.height() > box.height()))
        reader.setScaledSize(size.scaled(box, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        return {};
    if (image.width() > box.width() || image.height() > box.height())
        image = image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
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

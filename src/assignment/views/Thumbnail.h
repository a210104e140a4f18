#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// A small picture of a photo for a proof sheet, at most `box` in size with
// the photo's shape. The kind is told from the content (a BMP stored under a
// .jpg name is shown as a browser would show it), and a JPEG is shrunk while
// it is decoded, so a large photo costs little. A null image when the file
// is not a regular file or not a picture. Safe to call from any thread.
QImage MakeThumbnail(const QString& path, QSize box);

// The thumbnail as a JPEG file's bytes (quality 85), empty for a null image.
QByteArray ThumbnailJpeg(const QImage& thumbnail);

#pragma once

#include "picture/TBitmap.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <memory>
#include <span>
#include <vector>

// Camera frames made of real photos, for the photo day's tests and benches:
// a student stands before a grey wall, the photo in the middle of the frame.

// The size of the frames a school's camera gives.
inline constexpr QSize kCameraFrameSize(1920, 1080);

// `photo` scaled smoothly to `photoHeight` pixels high (its shape kept), in
// the middle of a frame of `size` filled with `wall`. The labelled faces
// were taken before a dark background, which a black wall continues.
inline QImage CameraFrameShowing(const QImage& photo, int photoHeight = 640, QRgb wall = qRgb(128, 128, 128),
                                 QSize size = kCameraFrameSize)
{
    QImage frame(size, QImage::Format_RGB32);
    frame.fill(wall);
    const QImage scaled =
        photo.convertToFormat(QImage::Format_RGB32).scaledToHeight(photoHeight, Qt::SmoothTransformation);
    QPainter(&frame).drawImage((size.width() - scaled.width()) / 2, (size.height() - scaled.height()) / 2, scaled);
    return frame;
}

// `photo` in a black border `border` pixels wide all round: the labelled
// faces are cut tighter than the face detector finds faces in, and a site's
// portraits show the background around the head.
inline QImage Bordered(const QImage& photo, int border)
{
    QImage framed(photo.width() + 2 * border, photo.height() + 2 * border, QImage::Format_RGB32);
    framed.fill(Qt::black);
    QPainter(&framed).drawImage(border, border, photo);
    return framed;
}

// `image` blurred by a Gaussian of `sigma` pixels, as a lens out of focus
// blurs it (a separable kernel three sigmas either way, edges repeated).
inline QImage Blurred(const QImage& image, double sigma)
{
    const QImage source = image.convertToFormat(QImage::Format_RGB32);
    const int radius = std::max(1, static_cast<int>(std::ceil(3 * sigma)));
    std::vector<double> kernel(2 * radius + 1);
    double sum = 0;
    for (int i = -radius; i <= radius; ++i)
        sum += kernel[i + radius] = std::exp(-i * i / (2 * sigma * sigma));
    for (double& weight : kernel)
        weight /= sum;
    const int width = source.width();
    const int height = source.height();
    const auto pass = [&](const QImage& from, bool across) {
        QImage to(from.size(), QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            auto* out = reinterpret_cast<QRgb*>(to.scanLine(y));
            for (int x = 0; x < width; ++x) {
                double red = 0, green = 0, blue = 0;
                for (int i = -radius; i <= radius; ++i) {
                    const int xx = across ? std::clamp(x + i, 0, width - 1) : x;
                    const int yy = across ? y : std::clamp(y + i, 0, height - 1);
                    const QRgb pixel = reinterpret_cast<const QRgb*>(from.constScanLine(yy))[xx];
                    const double weight = kernel[i + radius];
                    red += weight * qRed(pixel);
                    green += weight * qGreen(pixel);
                    blue += weight * qBlue(pixel);
                }
                out[x] = qRgb(static_cast<int>(std::lround(red)), static_cast<int>(std::lround(green)),
                              static_cast<int>(std::lround(blue)));
            }
        }
        return to;
    };
    return pass(pass(source, true), false);
}

// `frame` with the part `around` (and as much again as the blur reaches)
// blurred by a Gaussian of `sigma` pixels: a camera out of focus, quicker
// than blurring a whole frame of plain wall.
inline QImage BlurredAround(const QImage& frame, const QRect& around, double sigma)
{
    const int reach = static_cast<int>(std::ceil(3 * sigma)) + 1;
    const QRect part = around.adjusted(-reach, -reach, reach, reach) & frame.rect();
    QImage blurred = frame.convertToFormat(QImage::Format_RGB32);
    const QImage done = Blurred(blurred.copy(part), sigma);
    QPainter(&blurred).drawImage(part.topLeft(), done);
    return blurred;
}

// `image` as the picture component holds it, read from BMP data as a grab
// from the camera is.
inline std::shared_ptr<TBitmap> BitmapOf(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_RGB32).save(&buffer, "BMP");
    auto bitmap = std::make_shared<TBitmap>();
    bitmap->LoadFromStream(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())));
    return bitmap;
}

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// Independent views of what a resize should produce: the decoding of a JPEG
// file by libjpeg-turbo's own djpeg tool, and a plain reading of the BMP
// files the resize writes. Neither goes through the picture component.

struct RgbPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0x00RRGGBB, top row first

    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// `djpeg -pnm [extra] file`; empty pixels when djpeg fails.
RgbPixels DjpegDecode(const QString& path, const QStringList& extraArguments = {});

// The nearest-neighbour sample of `source`, or of its `region` (left, top,
// width, height), at width by height by the picture component's index rule:
// destination pixel d of D takes source pixel start + d * S / D.
struct SourceRegion {
    int left = 0, top = 0, width = -1, height = -1; // -1: the whole source
};
RgbPixels NearestNeighbourSample(const RgbPixels& source, int width, int height, SourceRegion region = {});

// A BMP file as the resize writes it: 14-byte file header, 40-byte info
// header, 32 bits per pixel, no compression, bottom row first.
struct Bmp32 {
    bool valid = false;
    QString problem;
    RgbPixels picture;
};
Bmp32 ReadBmp32(const QByteArray& bytes);

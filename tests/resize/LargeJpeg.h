#pragma once
// A JPEG file of any size written row by row with libjpeg, for photos larger
// than the picture component will hold in one grid (a 108-megapixel phone's).
// Its picture is a grid of flat squares, whose colours survive even a low
// quality nearly unchanged, so that a sample of it can be checked.

#include <QFile>
#include <QString>

// clang-format off
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <vector>

// The colour (0xRRGGBB) of the square holding pixel (x, y): squares of
// `kSquare` pixels, their colour from their column and row.
inline constexpr int kSquare = 500;
inline std::uint32_t SquareColour(std::int64_t x, std::int64_t y)
{
    const auto column = static_cast<std::uint32_t>(x / kSquare);
    const auto row = static_cast<std::uint32_t>(y / kSquare);
    return ((column * 37) % 256) << 16 | ((row * 53) % 256) << 8 | ((column + row) * 29 % 256);
}

// Writes the squares as a `width` by `height` JPEG file at `path`.
inline void WriteSquaresJpeg(const QString& path, int width, int height, int quality = 20)
{
    std::vector<unsigned char> file;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors); // a failure here ends the test program
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t colour = SquareColour(x, cinfo.next_scanline);
            row[static_cast<std::size_t>(x) * 3] = static_cast<unsigned char>(colour >> 16);
            row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<unsigned char>(colour >> 8);
            row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<unsigned char>(colour);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QFile out(path);
    const bool written =
        out.open(QIODevice::WriteOnly)
        && out.write(reinterpret_cast<const char*>(buffer), static_cast<qint64>(size)) == static_cast<qint64>(size);
    std::free(buffer);
    if (!written)
        throw std::runtime_error("cannot write " + path.toStdString());
}

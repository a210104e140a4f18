#pragma once
// Pictures made pixel by pixel for the smooth sampling tests, their JPEG
// encodings, and the area average of any window of them, computed from a
// summed-area table rather than the way the component computes it.

#include "picture/TBitmap.h"
#include "picture/TCanvas.h"

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

struct MadePicture {
    std::string Name;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::vector<std::uint32_t> Rgb; // 0x00RRGGBB, top row first
    std::uint32_t At(std::int32_t x, std::int32_t y) const
    {
        return Rgb[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) + static_cast<std::size_t>(x)];
    }
};

inline MadePicture MakePicture(std::string name, std::int32_t width, std::int32_t height,
                               const std::function<std::uint32_t(std::int32_t, std::int32_t)>& rgbAt)
{
    MadePicture picture{std::move(name), width, height, {}};
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            picture.Rgb.push_back(rgbAt(x, y));
    return picture;
}

inline std::uint32_t Grey(unsigned level)
{
    return level * 0x010101U;
}

// One-pixel black and white columns: nearest-neighbour sampling at most
// ratios turns them into all black, all white or wide bands.
inline MadePicture Stripes(std::int32_t width, std::int32_t height)
{
    return MakePicture("stripes", width, height, [](std::int32_t x, std::int32_t) { return Grey(x % 2 ? 255 : 0); });
}

// One-pixel squares of red and blue.
inline MadePicture Checkerboard(std::int32_t width, std::int32_t height)
{
    return MakePicture("checkerboard", width, height,
                       [](std::int32_t x, std::int32_t y) { return (x + y) % 2 ? 0xFF0000U : 0x0000FFU; });
}

// Red rising across, green down, blue both ways.
inline MadePicture Gradient(std::int32_t width, std::int32_t height)
{
    return MakePicture("gradient", width, height, [width, height](std::int32_t x, std::int32_t y) {
        const auto red = static_cast<std::uint32_t>(x * 255 / (width - 1));
        const auto green = static_cast<std::uint32_t>(y * 255 / (height - 1));
        const auto blue = static_cast<std::uint32_t>((x + y) * 255 / (width + height - 2));
        return red << 16 | green << 8 | blue;
    });
}

inline std::vector<MadePicture> AliasingPatterns(std::int32_t width, std::int32_t height)
{
    return {Stripes(width, height), Checkerboard(width, height), Gradient(width, height)};
}

inline void PaintInto(TBitmap& bitmap, const MadePicture& picture)
{
    bitmap.SetSize(picture.Width, picture.Height);
    for (std::int32_t y = 0; y < picture.Height; ++y)
        for (std::int32_t x = 0; x < picture.Width; ++x) {
            const std::uint32_t rgb = picture.At(x, y);
            bitmap.Canvas().SetPixel(x, y, RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF));
        }
}

// The picture as a JPEG file: best quality, no chroma subsampling (so that
// what is tested is the scaling, not the encoder), grey if asked.
inline std::vector<std::uint8_t> EncodeJpeg(const MadePicture& picture, bool grey = false)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(picture.Width);
    cinfo.image_height = static_cast<JDIMENSION>(picture.Height);
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    for (int c = 0; c < cinfo.num_components; ++c)
        cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(picture.Width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const auto y = static_cast<std::int32_t>(cinfo.next_scanline);
        for (std::int32_t x = 0; x < picture.Width; ++x) {
            const std::uint32_t rgb = picture.At(x, y);
            if (grey) {
                row[static_cast<std::size_t>(x)] = static_cast<JSAMPLE>(rgb & 0xFF);
                continue;
            }
            row[static_cast<std::size_t>(x) * 3] = static_cast<JSAMPLE>(rgb >> 16);
            row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<JSAMPLE>(rgb >> 8);
            row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<JSAMPLE>(rgb);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<std::uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

// The mean of one channel (shift 16 red, 8 green, 0 blue) over any window of
// the picture, pixels weighted by their area inside it. The integral of the
// picture from the origin is bilinear between the corners of a summed-area
// table, which gives the window's integral from four corners.
class AreaReference {
public:
    AreaReference(const MadePicture& picture, int shift)
        : width_(picture.Width),
          height_(picture.Height),
          sums_(static_cast<std::size_t>(picture.Width + 1) * static_cast<std::size_t>(picture.Height + 1), 0.0)
    {
        for (std::int32_t y = 0; y < height_; ++y)
            for (std::int32_t x = 0; x < width_; ++x)
                Sum(x + 1, y + 1) = (picture.At(x, y) >> shift & 0xFF) + Sum(x, y + 1) + Sum(x + 1, y) - Sum(x, y);
    }

    double Mean(double left, double top, double right, double bottom) const
    {
        return (Integral(right, bottom) - Integral(left, bottom) - Integral(right, top) + Integral(left, top))
               / ((right - left) * (bottom - top));
    }

private:
    double& Sum(std::int32_t x, std::int32_t y)
    {
        return sums_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_ + 1) + static_cast<std::size_t>(x)];
    }
    double SumAt(std::int32_t x, std::int32_t y) const
    {
        return sums_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_ + 1) + static_cast<std::size_t>(x)];
    }
    double Integral(double x, double y) const
    {
        const auto x0 = std::min(static_cast<std::int32_t>(x), width_ - 1);
        const auto y0 = std::min(static_cast<std::int32_t>(y), height_ - 1);
        const double fx = x - x0;
        const double fy = y - y0;
        return SumAt(x0, y0) * (1 - fx) * (1 - fy) + SumAt(x0 + 1, y0) * fx * (1 - fy)
               + SumAt(x0, y0 + 1) * (1 - fx) * fy + SumAt(x0 + 1, y0 + 1) * fx * fy;
    }

    std::int32_t width_;
    std::int32_t height_;
    std::vector<double> sums_;
};

// How far a drawn picture lies from the area average of `region` of the made
// one, over all three channels of every pixel of `drawn`.
struct Distance {
    double Mean = 0;
    int Largest = 0;
};

inline Distance DistanceFromAreaAverage(const TBitmap& drawn, const MadePicture& picture, const TRect& region)
{
    Distance distance;
    double total = 0;
    const double stepX = static_cast<double>(region.Width()) / drawn.Width();
    const double stepY = static_cast<double>(region.Height()) / drawn.Height();
    std::vector<std::uint32_t> row(static_cast<std::size_t>(drawn.Width()));
    for (const int shift : {16, 8, 0}) {
        const AreaReference reference(picture, shift);
        for (std::int32_t y = 0; y < drawn.Height(); ++y) {
            drawn.ReadRowRGB32(y, row.data());
            for (std::int32_t x = 0; x < drawn.Width(); ++x) {
                const double want = reference.Mean(region.Left + x * stepX, region.Top + y * stepY,
                                                   region.Left + (x + 1) * stepX, region.Top + (y + 1) * stepY);
                const double difference =
                    std::abs(static_cast<double>(row[static_cast<std::size_t>(x)] >> shift & 0xFF) - want);
                total += difference;
                distance.Largest = std::max(distance.Largest, static_cast<int>(std::lround(difference)));
            }
        }
    }
    distance.Mean = total / (3.0 * drawn.Width() * drawn.Height());
    return distance;
}

inline std::ostream& operator<<(std::ostream& out, const Distance& distance)
{
    return out << "mean " << distance.Mean << ", largest " << distance.Largest;
}

#include "picture/detail/AreaAverage.h"

#include "picture/detail/PixelGrid.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// The source pixels one destination pixel averages along one axis, and their
// weights, which sum to 1.
struct Footprint {
    std::int32_t First = 0;
    std::vector<float> Weights;
};

// The footprints of `count` destination pixels spread evenly over [start,
// end) of a source axis `limit` pixels long.
std::vector<Footprint> Footprints(double start, double end, std::int64_t count, std::int32_t limit)
{
    std::vector<Footprint> footprints(static_cast<std::size_t>(count));
    const double step = (end - start) / static_cast<double>(count);
    for (std::int64_t i = 0; i < count; ++i) {
        const double from = std::clamp(start + step * static_cast<double>(i), 0.0, static_cast<double>(limit));
        const double to = std::clamp(start + step * static_cast<double>(i + 1), 0.0, static_cast<double>(limit));
        Footprint& footprint = footprints[static_cast<std::size_t>(i)];
        if (to <= from) {
            // Outside the source or of no width: the nearest pixel.
            footprint.First = std::clamp(static_cast<std::int32_t>(std::floor(from)), 0, limit - 1);
            footprint.Weights = {1.0F};
            continue;
        }
        const auto first = static_cast<std::int32_t>(std::floor(from));
        const auto last = std::min(static_cast<std::int32_t>(std::ceil(to)), limit); // exclusive
        footprint.First = first;
        const double width = to - from;
        for (std::int32_t k = first; k < last; ++k) {
            const double covered = std::min(to, k + 1.0) - std::max(from, static_cast<double>(k));
            footprint.Weights.push_back(static_cast<float>(covered / width));
        }
    }
    return footprints;
}

std::uint8_t Level(float value)
{
    return static_cast<std::uint8_t>(std::clamp(value + 0.5F, 0.0F, 255.0F));
}

} // namespace

void AreaAverage(PixelGrid& dest, const TRect& destRect, const PixelGrid& source, const SourceWindow& window)
{
    const std::int64_t destWidth = std::int64_t{destRect.Right} - destRect.Left;
    const std::int64_t destHeight = std::int64_t{destRect.Bottom} - destRect.Top;
    if (destWidth <= 0 || destHeight <= 0 || !(window.Right > window.Left) || !(window.Bottom > window.Top))
        return;
    // The destination pixels inside `dest`.
    const std::int64_t firstColumn = std::max<std::int64_t>(destRect.Left, 0);
    const std::int64_t lastColumn = std::min<std::int64_t>(destRect.Right, dest.Width());
    const std::int64_t firstRow = std::max<std::int64_t>(destRect.Top, 0);
    const std::int64_t lastRow = std::min<std::int64_t>(destRect.Bottom, dest.Height());
    if (firstColumn >= lastColumn || firstRow >= lastRow)
        return;

    const double stepX = (window.Right - window.Left) / static_cast<double>(destWidth);
    const double stepY = (window.Bottom - window.Top) / static_cast<double>(destHeight);
    const std::int64_t columns = lastColumn - firstColumn;
    const std::vector<Footprint> across =
        Footprints(window.Left + stepX * static_cast<double>(firstColumn - destRect.Left),
                   window.Left + stepX * static_cast<double>(lastColumn - destRect.Left), columns, source.Width());
    const std::vector<Footprint> down = Footprints(window.Top + stepY * static_cast<double>(firstRow - destRect.Top),
                                                   window.Top + stepY * static_cast<double>(lastRow - destRect.Top),
                                                   lastRow - firstRow, source.Height());

    const auto width = static_cast<std::size_t>(columns);
    std::vector<std::uint32_t> sourceRow(static_cast<std::size_t>(source.Width()));
    // One source row averaged across (red, green, blue per destination
    // column), kept for the next destination row, which usually shares it.
    std::vector<float> acrossRow(width * 3);
    std::int32_t acrossRowOf = -1;
    std::vector<float> sums(width * 3);
    std::vector<std::uint32_t> out(width);

    auto averageAcross = [&](std::int32_t y) {
        if (acrossRowOf == y)
            return;
        source.ReadRowRgb32(y, sourceRow.data());
        for (std::size_t i = 0; i < width; ++i) {
            const Footprint& footprint = across[i];
            const std::uint32_t* pixel = &sourceRow[static_cast<std::size_t>(footprint.First)];
            float red = 0;
            float green = 0;
            float blue = 0;
            for (const float weight : footprint.Weights) {
                const std::uint32_t rgb = *pixel++;
                red += weight * static_cast<float>((rgb >> 16) & 0xFF);
                green += weight * static_cast<float>((rgb >> 8) & 0xFF);
                blue += weight * static_cast<float>(rgb & 0xFF);
            }
            acrossRow[i * 3] = red;
            acrossRow[i * 3 + 1] = green;
            acrossRow[i * 3 + 2] = blue;
        }
        acrossRowOf = y;
    };

    const PixelLayout layout = dest.Layout();
    for (std::int64_t row = firstRow; row < lastRow; ++row) {
        const Footprint& footprint = down[static_cast<std::size_t>(row - firstRow)];
        std::fill(sums.begin(), sums.end(), 0.0F);
        std::int32_t y = footprint.First;
        for (const float weight : footprint.Weights) {
            averageAcross(y++);
            for (std::size_t k = 0; k < sums.size(); ++k)
                sums[k] += weight * acrossRow[k];
        }
        for (std::size_t i = 0; i < width; ++i)
            out[i] = (std::uint32_t{Level(sums[i * 3])} << 16) | (std::uint32_t{Level(sums[i * 3 + 1])} << 8)
                     | Level(sums[i * 3 + 2]);
        const auto destRow = static_cast<std::int32_t>(row);
        if (layout == PixelLayout::Bgrx32) {
            // Blue, green, red, 0: the words' own byte order on a little-endian machine.
            std::uint8_t* target = dest.Row(destRow) + static_cast<std::size_t>(firstColumn) * 4;
            for (std::size_t i = 0; i < width; ++i) {
                target[i * 4] = static_cast<std::uint8_t>(out[i]);
                target[i * 4 + 1] = static_cast<std::uint8_t>(out[i] >> 8);
                target[i * 4 + 2] = static_cast<std::uint8_t>(out[i] >> 16);
                target[i * 4 + 3] = 0;
            }
            continue;
        }
        for (std::size_t i = 0; i < width; ++i)
            dest.SetRgb32(static_cast<std::int32_t>(firstColumn + static_cast<std::int64_t>(i)), destRow, out[i]);
    }
}

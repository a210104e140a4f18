#include "picture/detail/StretchCopy.h"

#include "picture/detail/PixelGrid.h"
#include "picture/detail/ScaledIndex.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// The source index of destination index `d` (relative to the destination
// rectangle) for a span of `destSize` drawn from `sourceSize` at `sourceStart`.
std::int64_t SourceIndex(std::int64_t d, std::int64_t sourceStart, std::int64_t sourceSize, std::int64_t destSize)
{
    return sourceStart + ScaledIndex(d, sourceSize, destSize);
}

// The destination indices [first, last) whose source index lies in
// [0, sourceLimit) and which lie in [0, destLimit).
struct Span {
    std::int64_t first = 0;
    std::int64_t last = 0;
};

// The destination indices whose own index lies in [0, destLimit) and whose
// source index lies in [0, sourceLimit). The source index grows with the
// destination index, so they form one run, found by bisection.
Span ClampSpan(std::int64_t destStart, std::int64_t destSize, std::int64_t destLimit, std::int64_t sourceStart,
               std::int64_t sourceSize, std::int64_t sourceLimit)
{
    Span span{std::max<std::int64_t>(destStart, 0), std::min<std::int64_t>(destStart + destSize, destLimit)};
    if (span.first >= span.last)
        return span;
    auto sourceOf = [&](std::int64_t x) { return SourceIndex(x - destStart, sourceStart, sourceSize, destSize); };
    // First x with sourceOf(x) >= 0.
    std::int64_t lo = span.first;
    std::int64_t hi = span.last;
    while (lo < hi) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        if (sourceOf(mid) >= 0)
            hi = mid;
        else
            lo = mid + 1;
    }
    span.first = lo;
    // First x with sourceOf(x) >= sourceLimit.
    lo = span.first;
    hi = span.last;
    while (lo < hi) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        if (sourceOf(mid) >= sourceLimit)
            hi = mid;
        else
            lo = mid + 1;
    }
    span.last = lo;
    return span;
}

} // namespace

void StretchCopy(PixelGrid& dest, const TRect& destRect, const PixelGrid& source, const TRect& sourceRect)
{
    const std::int64_t destWidth = std::int64_t{destRect.Right} - destRect.Left;
    const std::int64_t destHeight = std::int64_t{destRect.Bottom} - destRect.Top;
    const std::int64_t sourceWidth = std::int64_t{sourceRect.Right} - sourceRect.Left;
    const std::int64_t sourceHeight = std::int64_t{sourceRect.Bottom} - sourceRect.Top;
    if (destWidth <= 0 || destHeight <= 0 || sourceWidth <= 0 || sourceHeight <= 0)
        return;

    const Span columns =
        ClampSpan(destRect.Left, destWidth, dest.Width(), sourceRect.Left, sourceWidth, source.Width());
    const Span rows = ClampSpan(destRect.Top, destHeight, dest.Height(), sourceRect.Top, sourceHeight, source.Height());
    if (columns.first >= columns.last || rows.first >= rows.last)
        return;

    const auto count = static_cast<std::size_t>(columns.last - columns.first);
    std::vector<std::int32_t> sourceColumns(count);
    for (std::size_t i = 0; i < count; ++i)
        sourceColumns[i] = static_cast<std::int32_t>(SourceIndex(
            columns.first + static_cast<std::int64_t>(i) - destRect.Left, sourceRect.Left, sourceWidth, destWidth));

    const PixelLayout from = source.Layout();
    const PixelLayout to = dest.Layout();
    // Whole bytes per pixel and the same layout: bytes move unchanged, and an
    // unscaled span is one block copy per row.
    const bool sameBytes = from == to && source.BitsPerPixel() >= 8
                           && (source.BitsPerPixel() != 8 || source.PaletteRgb() == dest.PaletteRgb())
                           && (!source.HasBitFields() || source.Fields() == dest.Fields());
    const bool unscaledColumns = destWidth == sourceWidth;
    const std::size_t pixelBytes = static_cast<std::size_t>(source.BitsPerPixel() / 8);

    std::int64_t previousSourceRow = -1;
    std::int64_t previousDestRow = -1;
    for (std::int64_t y = rows.first; y < rows.last; ++y) {
        const auto sourceRow =
            static_cast<std::int32_t>(SourceIndex(y - destRect.Top, sourceRect.Top, sourceHeight, destHeight));
        const auto destRow = static_cast<std::int32_t>(y);
        std::uint8_t* out = dest.Row(destRow);
        // An enlarged row repeats the previous one: copy it.
        if (sourceRow == previousSourceRow && dest.BitsPerPixel() >= 8) {
            const std::size_t bytesPerPixel = static_cast<std::size_t>(dest.BitsPerPixel() / 8);
            std::memcpy(out + static_cast<std::size_t>(columns.first) * bytesPerPixel,
                        dest.Row(static_cast<std::int32_t>(previousDestRow))
                            + static_cast<std::size_t>(columns.first) * bytesPerPixel,
                        count * bytesPerPixel);
            previousDestRow = y;
            continue;
        }
        previousSourceRow = sourceRow;
        previousDestRow = y;
        const std::uint8_t* in = source.Row(sourceRow);

        if (sameBytes) {
            std::uint8_t* target = out + static_cast<std::size_t>(columns.first) * pixelBytes;
            if (unscaledColumns) {
                std::memcpy(target, in + static_cast<std::size_t>(sourceColumns[0]) * pixelBytes, count * pixelBytes);
                continue;
            }
            // Four bytes, the depth of every surface on a colour screen, are
            // copied as one word rather than by a call per pixel.
            if (pixelBytes == 4) {
                for (std::size_t i = 0; i < count; ++i)
                    std::memcpy(target + i * 4, in + static_cast<std::size_t>(sourceColumns[i]) * 4, 4);
                continue;
            }
            for (std::size_t i = 0; i < count; ++i)
                std::memcpy(target + i * pixelBytes, in + static_cast<std::size_t>(sourceColumns[i]) * pixelBytes,
                            pixelBytes);
            continue;
        }
        if (to == PixelLayout::Bgrx32 && from == PixelLayout::Bgr24) {
            std::uint8_t* target = out + static_cast<std::size_t>(columns.first) * 4;
            for (std::size_t i = 0; i < count; ++i) {
                const std::uint8_t* p = in + static_cast<std::size_t>(sourceColumns[i]) * 3;
                target[i * 4] = p[0];
                target[i * 4 + 1] = p[1];
                target[i * 4 + 2] = p[2];
                target[i * 4 + 3] = 0;
            }
            continue;
        }
        if (to == PixelLayout::Bgrx32 && from == PixelLayout::Indexed8) {
            const auto& palette = source.PaletteRgb();
            std::uint8_t* target = out + static_cast<std::size_t>(columns.first) * 4;
            for (std::size_t i = 0; i < count; ++i) {
                const std::uint32_t rgb = palette[in[sourceColumns[i]]];
                std::memcpy(target + i * 4, &rgb, 4);
            }
            continue;
        }
        for (std::size_t i = 0; i < count; ++i)
            dest.SetRgb32(static_cast<std::int32_t>(columns.first + static_cast<std::int64_t>(i)), destRow,
                          source.GetRgb32(sourceColumns[i], sourceRow));
    }
}

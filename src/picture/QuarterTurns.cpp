#include "picture/QuarterTurns.h"

#include "picture/TBitmap.h"
#include "picture/detail/BitmapAccess.h"
#include "picture/detail/PixelGrid.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <utility>

namespace {

// The picture is turned in square tiles: a tile's source rows and the target
// rows it writes both stay in the cache. Row by row, every written pixel of a
// large picture lands in another row and misses it.
constexpr std::int32_t kTurnTile = 64;

// Calls copy(x, y) for every pixel of a width by height picture, tile by tile.
template <typename CopyPixel> void ForEachPixelInTiles(std::int32_t width, std::int32_t height, CopyPixel copy)
{
    for (std::int32_t top = 0; top < height; top += kTurnTile) {
        const std::int32_t bottom = std::min(height, top + kTurnTile);
        for (std::int32_t left = 0; left < width; left += kTurnTile) {
            const std::int32_t right = std::min(width, left + kTurnTile);
            for (std::int32_t y = top; y < bottom; ++y)
                for (std::int32_t x = left; x < right; ++x)
                    copy(x, y);
        }
    }
}

// Writes every pixel (x, y) of `source` to place(x, y) of `target`, as a
// pixel read and a pixel write through the Canvas would.
template <typename Place> void CopyPixelsTo(const PixelGrid& source, PixelGrid& target, Place place)
{
    if (source.Layout() == PixelLayout::Bgrx32 && target.Layout() == PixelLayout::Bgrx32) {
        // A display-form picture: whole words; the fourth byte is cleared, as
        // every pixel write clears it.
        ForEachPixelInTiles(source.Width(), source.Height(), [&](std::int32_t x, std::int32_t y) {
            const auto [toX, toY] = place(x, y);
            std::uint32_t word;
            std::memcpy(&word, source.Row(y) + static_cast<std::size_t>(x) * 4, 4);
            word &= 0xFFFFFF;
            std::memcpy(target.Row(toY) + static_cast<std::size_t>(toX) * 4, &word, 4);
        });
        return;
    }
    ForEachPixelInTiles(source.Width(), source.Height(), [&](std::int32_t x, std::int32_t y) {
        const auto [toX, toY] = place(x, y);
        target.SetRgb32(toX, toY, source.GetRgb32(x, y));
    });
}

} // namespace

void DrawQuarterTurned(TBitmap& target, const TBitmap& source, TurnDirection direction)
{
    const std::int32_t w = source.Width();
    const std::int32_t h = source.Height();
    if (target.Width() != h || target.Height() != w)
        throw std::invalid_argument("a quarter turn needs a target of the source's height by its width");
    // The extra reference makes a target that shares this grid copy it first.
    const std::shared_ptr<PixelGrid> from = BitmapAccess::Grid(source);
    if (from == nullptr)
        return;
    PixelGrid& to = *BitmapAccess::MutableGrid(target);
    if (direction == TurnDirection::Left)
        CopyPixelsTo(*from, to, [w](std::int32_t x, std::int32_t y) { return std::pair{y, w - 1 - x}; });
    else
        CopyPixelsTo(*from, to, [h](std::int32_t x, std::int32_t y) { return std::pair{h - 1 - y, x}; });
    target.Modified();
}

#include "picture/detail/UprightPicture.h"

#include "picture/detail/PixelGrid.h"
#include "picture/detail/ScaledIndex.h"

#include <cstring>
#include <stdexcept>

PictureSize UprightSize(PictureSize stored, ExifOrientation orientation)
{
    return SwapsSides(orientation) ? PictureSize{stored.Height, stored.Width} : stored;
}

StoredPixel StoredPixelAt(PictureSize stored, ExifOrientation orientation, std::int64_t u, std::int64_t v)
{
    const std::int64_t lastX = stored.Width - 1;
    const std::int64_t lastY = stored.Height - 1;
    switch (orientation) {
    case ExifOrientation::TopLeft:
        return {u, v};
    case ExifOrientation::TopRight:
        return {lastX - u, v};
    case ExifOrientation::BottomRight:
        return {lastX - u, lastY - v};
    case ExifOrientation::BottomLeft:
        return {u, lastY - v};
    case ExifOrientation::LeftTop:
        return {v, u};
    case ExifOrientation::RightTop:
        return {v, lastY - u};
    case ExifOrientation::RightBottom:
        return {lastX - v, lastY - u};
    case ExifOrientation::LeftBottom:
        return {lastX - v, u};
    }
    return {u, v};
}

namespace {

std::size_t PixelBytes(const PixelGrid& grid)
{
    const int bits = grid.BitsPerPixel();
    if (bits != 8 && bits != 24 && bits != 32)
        throw std::invalid_argument("only whole-byte pixels can be turned");
    return static_cast<std::size_t>(bits / 8);
}

std::shared_ptr<PixelGrid> EmptyLike(const PixelGrid& grid, PictureSize size)
{
    auto result = std::make_shared<PixelGrid>(size.Width, size.Height, grid.BitsPerPixel(), grid.Form());
    if (!grid.ColorTable().empty())
        result->SetColorTable(grid.ColorTable());
    return result;
}

} // namespace

std::shared_ptr<PixelGrid> TurnUpright(const PixelGrid& stored, ExifOrientation orientation)
{
    const std::size_t pixelBytes = PixelBytes(stored);
    const PictureSize storedSize{stored.Width(), stored.Height()};
    const PictureSize upright = UprightSize(storedSize, orientation);
    auto result = EmptyLike(stored, upright);
    for (std::int32_t v = 0; v < upright.Height; ++v) {
        std::uint8_t* out = result->Row(v);
        for (std::int32_t u = 0; u < upright.Width; ++u) {
            const StoredPixel from = StoredPixelAt(storedSize, orientation, u, v);
            std::memcpy(out + u * pixelBytes,
                        stored.Row(static_cast<std::int32_t>(from.Y)) + from.X * static_cast<std::int64_t>(pixelBytes),
                        pixelBytes);
        }
    }
    return result;
}

SamplingPlan PlanSampling(PictureSize stored, ExifOrientation orientation, const TRect& region,
                          std::int32_t targetWidth, std::int32_t targetHeight)
{
    const std::int64_t regionWidth = std::int64_t{region.Right} - region.Left;
    const std::int64_t regionHeight = std::int64_t{region.Bottom} - region.Top;
    // Upright column of target column i and upright row of target row j.
    auto uprightColumn = [&](std::int64_t i) { return region.Left + ScaledIndex(i, regionWidth, targetWidth); };
    auto uprightRow = [&](std::int64_t j) { return region.Top + ScaledIndex(j, regionHeight, targetHeight); };

    SamplingPlan plan;
    plan.Transposed = SwapsSides(orientation);
    // Along each upright axis only one stored coordinate changes, so the
    // other upright coordinate may be held at the region's corner.
    const std::int64_t u0 = uprightColumn(0);
    const std::int64_t v0 = uprightRow(0);
    if (!plan.Transposed) {
        for (std::int32_t i = 0; i < targetWidth; ++i)
            plan.Columns.push_back(
                static_cast<std::int32_t>(StoredPixelAt(stored, orientation, uprightColumn(i), v0).X));
        for (std::int32_t j = 0; j < targetHeight; ++j)
            plan.Rows.push_back(static_cast<std::int32_t>(StoredPixelAt(stored, orientation, u0, uprightRow(j)).Y));
    } else {
        for (std::int32_t j = 0; j < targetHeight; ++j)
            plan.Columns.push_back(static_cast<std::int32_t>(StoredPixelAt(stored, orientation, u0, uprightRow(j)).X));
        for (std::int32_t i = 0; i < targetWidth; ++i)
            plan.Rows.push_back(static_cast<std::int32_t>(StoredPixelAt(stored, orientation, uprightColumn(i), v0).Y));
    }
    return plan;
}

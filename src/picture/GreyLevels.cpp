#include "picture/GreyLevels.h"

#include "picture/TBitmap.h"
#include "picture/detail/BitmapAccess.h"
#include "picture/detail/PixelGrid.h"

#include <vector>

std::unique_ptr<TBitmap> GreyLevels(const TBitmap& picture)
{
    const PixelGrid& pixels = *BitmapAccess::Grid(picture);
    auto grey = std::make_shared<PixelGrid>(pixels.Width(), pixels.Height(), 8, GridForm::Own);
    std::vector<TColor> greys;
    greys.reserve(256);
    for (int level = 0; level < 256; ++level)
        greys.push_back(
            RGB(static_cast<std::uint8_t>(level), static_cast<std::uint8_t>(level), static_cast<std::uint8_t>(level)));
    grey->SetColorTable(std::move(greys));
    std::vector<std::uint32_t> row(static_cast<std::size_t>(pixels.Width()));
    for (std::int32_t y = 0; y < pixels.Height(); ++y) {
        pixels.ReadRowRgb32(y, row.data());
        std::uint8_t* out = grey->Row(y);
        for (std::size_t x = 0; x < row.size(); ++x) {
            const std::uint32_t rgb = row[x];
            out[x] = static_cast<std::uint8_t>(
                (77 * ((rgb >> 16) & 0xFF) + 150 * ((rgb >> 8) & 0xFF) + 29 * (rgb & 0xFF) + 128) >> 8);
        }
    }
    auto bitmap = std::make_unique<TBitmap>(picture.DisplayDepth());
    BitmapAccess::Adopt(*bitmap, std::move(grey));
    return bitmap;
}

#include "picture/detail/DisplayGrid.h"

#include "picture/detail/PixelGrid.h"

std::vector<TColor> DisplayPalette()
{
    std::vector<TColor> palette;
    palette.reserve(256);
    for (int blue = 0; blue < 6; ++blue)
        for (int green = 0; green < 6; ++green)
            for (int red = 0; red < 6; ++red)
                palette.push_back(RGB(static_cast<std::uint8_t>(red * 51), static_cast<std::uint8_t>(green * 51),
                                      static_cast<std::uint8_t>(blue * 51)));
    // Greys between the cube's own six, evenly spread.
    for (int i = 1; i <= 40; ++i) {
        const auto level = static_cast<std::uint8_t>(i * 255 / 41);
        palette.push_back(RGB(level, level, level));
    }
    return palette;
}

std::shared_ptr<PixelGrid> NewDisplayGrid(std::int32_t width, std::int32_t height, DisplayColorDepth depth)
{
    auto grid = std::make_shared<PixelGrid>(width, height, depth.BitsPerPixel(), GridForm::Display);
    if (depth.HasPalette())
        grid->SetColorTable(DisplayPalette());
    return grid;
}

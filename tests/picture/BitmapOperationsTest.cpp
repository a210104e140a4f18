// The operations the cores use on whole Bitmaps: grey levels and quarter turns.
#include "PictureTestSupport.h"
#include "picture/GreyLevels.h"
#include "picture/QuarterTurns.h"

#include <stdexcept>

namespace {

TEST(GreyLevels, WeighsRedGreenAndBlueAsTheEyeDoesAndReadsBackAsGrey)
{
    const struct {
        TColor color;
        std::uint8_t level;
    } cases[] = {{clBlack, 0},         {clWhite, 255},          {RGB(255, 0, 0), 77}, {RGB(0, 255, 0), 149},
                 {RGB(0, 0, 255), 29}, {RGB(10, 200, 90), 130}, {RGB(1, 1, 1), 1},    {RGB(128, 128, 128), 128}};
    TBitmap picture;
    Paint(picture, std::size(cases), 2,
          [&](std::int32_t x, std::int32_t) { return cases[static_cast<std::size_t>(x)].color; });
    const std::unique_ptr<TBitmap> grey = GreyLevels(picture);
    ASSERT_TRUE(SameSize(*grey, picture.Width(), 2));
    EXPECT_EQ(grey->BitsPerPixel(), 8);
    for (std::int32_t y = 0; y < 2; ++y)
        for (std::int32_t x = 0; x < grey->Width(); ++x)
            EXPECT_EQ(grey->ScanLine(y)[x], cases[x].level) << "colour " << std::hex << cases[x].color;
    EXPECT_TRUE(PixelsAre(*grey, [&](std::int32_t x, std::int32_t) {
        const std::uint8_t level = cases[static_cast<std::size_t>(x)].level;
        return RGB(level, level, level);
    }));
}

TEST(QuarterTurns, TurnsASquareBitmapInPlaceAndRefusesATargetOfTheWrongShape)
{
    TBitmap square;
    Paint(square, 5, 5, Distinct);
    DrawQuarterTurned(square, square, TurnDirection::Right);
    EXPECT_TRUE(PixelsAre(square, [](std::int32_t x, std::int32_t y) { return Distinct(y, 4 - x); }));

    TBitmap wide;
    Paint(wide, 4, 2, Distinct);
    TBitmap alsoWide;
    alsoWide.SetSize(4, 2);
    EXPECT_THROW(DrawQuarterTurned(alsoWide, wide, TurnDirection::Left), std::invalid_argument);
    EXPECT_TRUE(PixelsAre(alsoWide, White));
}

} // namespace

// The square a face is described from, and its pixels as the network takes
// them: red, green, blue, black past the picture's edge.
#include "faces/DescriptorCrop.h"

#include "picture/PictureTestSupport.h"

#include <array>
#include <stdexcept>

namespace {

using Rgb = std::array<int, 3>;

Rgb PixelOf(const DescriptorCrop& crop, int x, int y)
{
    const std::size_t at = 3 * (static_cast<std::size_t>(y) * kDescriptorCropSide + static_cast<std::size_t>(x));
    return {crop.rgb[at], crop.rgb[at + 1], crop.rgb[at + 2]};
}

TEST(DescriptorCrop, IsTheBoxWidthSquareFromAFifthOfItsHeightDown)
{
    const struct {
        TRect face;
        TRect square;
    } rows[] = {
        {{10, 20, 110, 120}, {10, 39, 110, 139}}, // 0.19 of 100 down
        {{0, 0, 50, 80}, {0, 15, 50, 65}},        // 15.2 rounds to 15
        {{-5, -10, 95, 90}, {-5, 9, 95, 109}},    // boxes past the edge too
        {{7, 3, 27, 13}, {7, 5, 27, 25}},         // wider than high: 1.9 rounds to 2
    };
    for (const auto& row : rows) {
        const TRect square = DescriptorSquare(row.face);
        EXPECT_EQ(square, row.square) << row.face.Left << "," << row.face.Top;
    }
}

TEST(DescriptorCrop, KeepsTheColoursInTheirPlacesAndBlackPastTheEdge)
{
    // Left half red, right half blue, a green band across from row 150 on.
    TBitmap picture;
    Paint(picture, 200, 200, [](std::int32_t x, std::int32_t y) {
        return y >= 150 ? RGB(0, 255, 0) : x < 100 ? RGB(255, 0, 0) : RGB(0, 0, 255);
    });
    // A box whose square is the picture's middle: (50, 19 + 31) to (150, 150).
    const DescriptorCrop middle = CropForDescriptor(picture, {50, 31, 150, 131});
    ASSERT_EQ(middle.rgb.size(), 3U * kDescriptorCropSide * kDescriptorCropSide);
    EXPECT_EQ(PixelOf(middle, 10, 10), (Rgb{255, 0, 0}));
    EXPECT_EQ(PixelOf(middle, 140, 10), (Rgb{0, 0, 255}));
    EXPECT_EQ(PixelOf(middle, 75 - 3, 140), (Rgb{255, 0, 0}));

    // A square past the bottom right corner: its part inside (x 150 to 200,
    // y 169 to 200: a third across, about a third down) is green, the rest
    // black, the face where it was.
    const DescriptorCrop corner = CropForDescriptor(picture, {150, 150, 250, 250});
    EXPECT_EQ(PixelOf(corner, 30, 20), (Rgb{0, 255, 0}));
    EXPECT_EQ(PixelOf(corner, 100, 20), (Rgb{0, 0, 0}));
    EXPECT_EQ(PixelOf(corner, 30, 100), (Rgb{0, 0, 0}));

    // A square wholly outside is a caller's mistake.
    EXPECT_THROW(CropForDescriptor(picture, {300, 300, 400, 400}), std::invalid_argument);
    EXPECT_THROW(CropForDescriptor(picture, {10, 10, 10, 60}), std::invalid_argument);
}

TEST(DescriptorCrop, OfAGreyPhotoIsItsGreyInEveryColour)
{
    TBitmap grey;
    ASSERT_NO_THROW(grey.LoadFromStream(ReadBytes(TestData("faces/orl/s1_1.bmp"))));
    ASSERT_EQ(grey.BitsPerPixel(), 8);
    TBitmap colour;
    Paint(colour, grey.Width(), grey.Height(),
          [&](std::int32_t x, std::int32_t y) { return grey.Canvas().GetPixel(x, y); });
    const TRect face{0, 0, 92, 92};
    const DescriptorCrop fromGrey = CropForDescriptor(grey, face);
    EXPECT_EQ(fromGrey.rgb, CropForDescriptor(colour, face).rgb);
    std::size_t uneven = 0;
    for (std::size_t p = 0; p < fromGrey.rgb.size(); p += 3)
        uneven += fromGrey.rgb[p] != fromGrey.rgb[p + 1] || fromGrey.rgb[p] != fromGrey.rgb[p + 2];
    EXPECT_EQ(uneven, 0U);
    // And not one grey: the photo's face.
    EXPECT_NE(*std::min_element(fromGrey.rgb.begin(), fromGrey.rgb.end()),
              *std::max_element(fromGrey.rgb.begin(), fromGrey.rgb.end()));
}

} // namespace

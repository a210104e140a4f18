// Pixel grids: sizes, resizing, sharing, pixel access, change reports.
#include "PictureTestSupport.h"

namespace {

TEST(Bitmap, TheFirstSideMakesNoPixelsAndResizingKeepsTheTopLeftCornerAndFillsWhite)
{
    TBitmap bitmap;
    EXPECT_EQ(bitmap.Canvas().GetPixel(0, 0), clNone);
    bitmap.SetWidth(2);
    EXPECT_TRUE(bitmap.Empty()) << "a zero height gives no grid";
    bitmap.SetHeight(3);
    EXPECT_TRUE(bitmap.IsDisplayForm());
    EXPECT_EQ(bitmap.BitsPerPixel(), 32);
    EXPECT_TRUE(PixelsAre(bitmap, White));

    Paint(bitmap, 2, 3, Distinct);
    bitmap.SetHeight(2);
    bitmap.SetWidth(3);
    ASSERT_EQ(bitmap.Height(), 2) << "the bottom row is gone";
    EXPECT_TRUE(PixelsAre(bitmap, [](std::int32_t x, std::int32_t y) { return x < 2 ? Distinct(x, y) : clWhite; }));

    // Setting the current size changes nothing; a zero side drops the pixels for good.
    int changes = 0;
    bitmap.SetOnChange([&] { ++changes; });
    bitmap.SetWidth(3);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(bitmap.Canvas().GetPixel(1, 1), Distinct(1, 1));
    bitmap.SetHeight(0);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(changes, 1);
    bitmap.SetHeight(2);
    EXPECT_TRUE(PixelsAre(bitmap, White));
}

TEST(Bitmap, ImpossibleSizesAndPixelsOutsideTheSurfaceChangeNothing)
{
    TBitmap bitmap;
    Paint(bitmap, 5, 4, Distinct);
    for (auto [width, height] : {std::pair{-1, 3}, {3, -5}, {100000, 100000}, {INT32_MAX, 3}}) {
        EXPECT_EQ(ErrorOf<EOutOfResources>([&] { bitmap.SetSize(width, height); }), "Out of system resources")
            << width << "x" << height;
    }
    ASSERT_TRUE(SameSize(bitmap, 5, 4));
    // Outside the surface a pixel reads as no colour and takes no writes.
    int changes = 0;
    bitmap.SetOnChange([&] { ++changes; });
    for (auto [x, y] : {std::pair{5, 0}, std::pair{0, 4}, std::pair{-1, -1}, std::pair{INT32_MIN, INT32_MAX}}) {
        EXPECT_EQ(bitmap.Canvas().GetPixel(x, y), static_cast<TColor>(0xFFFFFFFF)) << x << "," << y;
        bitmap.Canvas().SetPixel(x, y, 0x123456);
    }
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(PixelsAre(bitmap, Distinct));
}

TEST(Bitmap, SharingCopiesOnTheFirstChangeOfEitherSide)
{
    TBitmap original;
    Paint(original, 3, 3, Distinct);
    TBitmap copy;
    copy.Assign(&original);
    EXPECT_EQ(copy.ScanLine(0), original.ScanLine(0)) << "assignment shares the grid";
    copy.Canvas().SetPixel(1, 1, clBlack);
    EXPECT_NE(copy.ScanLine(0), original.ScanLine(0));
    EXPECT_EQ(copy.Canvas().GetPixel(1, 1), clBlack);
    EXPECT_TRUE(PixelsAre(original, Distinct));

    TBitmap second;
    second.Assign(&original);
    original.Canvas().FillRect(TRect{0, 0, 3, 3});
    EXPECT_TRUE(PixelsAre(second, Distinct)) << "a change of the source never shows";
    second.SetWidth(5);
    EXPECT_EQ(original.Width(), 3);

    // Writing through a scan line unshares first too.
    TBitmap third;
    third.Assign(&second);
    std::uint8_t* writable = third.MutableScanLine(0);
    writable[0] = writable[1] = writable[2] = 0;
    third.Modified();
    EXPECT_EQ(third.Canvas().GetPixel(0, 0), clBlack);
    EXPECT_EQ(second.Canvas().GetPixel(0, 0), Distinct(0, 0));

    third.Assign(nullptr);
    EXPECT_TRUE(third.Empty());
    EXPECT_EQ(third.Width(), 0);
}

TEST(Bitmap, EveryKindOfChangeIsReportedOnce)
{
    TBitmap bitmap;
    Paint(bitmap, 4, 4, Distinct);
    TBitmap other;
    Paint(other, 2, 2, Distinct);
    int changes = 0;
    bitmap.SetOnChange([&] { ++changes; });
    bitmap.Canvas().SetPixel(0, 0, clBlack);
    bitmap.Canvas().FillRect(TRect{0, 0, 2, 2});
    bitmap.Canvas().StretchDraw(TRect{0, 0, 4, 4}, &other);
    bitmap.Canvas().CopyRect(TRect{0, 0, 2, 2}, other.Canvas(), TRect{0, 0, 2, 2});
    bitmap.SetWidth(6);
    bitmap.MutableScanLine(0);
    bitmap.Modified();
    EXPECT_EQ(changes, 6);
    EXPECT_EQ(bitmap.Canvas().GetPixel(0, 0), Distinct(0, 0)) << "the last drawing arrived";
}

TEST(Bitmap, ColorsAreKeptAt24And32BitsAndReducedAt16And8)
{
    // 16 bits: five bits a channel, the top ones repeated in the low three.
    // 8 bits: the nearest colour of the display palette.
    // Rows: display depth, colour set, colour read back.
    for (auto [depth, set, read] : {std::tuple<int, TColor, TColor>{32, 0x00123456, 0x00123456},
                                    {32, 0x00FF0080, 0x00FF0080},
                                    {24, 0x00123456, 0x00123456},
                                    {24, 0x00FF0080, 0x00FF0080},
                                    {16, 0x00123456, 0x00103152},
                                    {16, 0x00FF0080, 0x00FF0084},
                                    {16, clWhite, clWhite},
                                    {16, clBlack, clBlack},
                                    {8, clWhite, clWhite},
                                    {8, RGB(250, 5, 48), RGB(255, 0, 51)}}) {
        TBitmap bitmap{DisplayColorDepth(depth)};
        bitmap.SetSize(2, 1);
        EXPECT_EQ(bitmap.BitsPerPixel(), depth);
        bitmap.Canvas().SetPixel(1, 0, set);
        EXPECT_EQ(bitmap.Canvas().GetPixel(1, 0), read) << depth << " bits, " << set;
    }
}

} // namespace

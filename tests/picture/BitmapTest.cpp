// Pixel grids: sizes, resizing, sharing, pixel access and change reports.
#include "PictureTestSupport.h"

#include "common/picture/PictureErrors.h"
#include "common/picture/TBitmap.h"

#include <gtest/gtest.h>

namespace {

TEST(Bitmap, NewBitmapHasNoPixelsAndTheFirstSideMakesNone)
{
    TBitmap bitmap;
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(bitmap.Canvas().GetPixel(0, 0), clNone);

    bitmap.SetWidth(120);
    EXPECT_TRUE(bitmap.Empty()) << "a zero height gives no grid";
    EXPECT_EQ(bitmap.Width(), 120);
    bitmap.SetHeight(180);
    EXPECT_FALSE(bitmap.Empty());
    EXPECT_TRUE(bitmap.IsDisplayForm());
    EXPECT_EQ(bitmap.BitsPerPixel(), 32);
    EXPECT_EQ(bitmap.Canvas().GetPixel(0, 0), clWhite);
    EXPECT_EQ(bitmap.Canvas().GetPixel(119, 179), clWhite);
}

TEST(Bitmap, GrowingFrom2x3To3x2KeepsTheCornerCutsTheBottomAndFillsWhite)
{
    TBitmap bitmap;
    Paint(bitmap, 2, 3, Distinct);
    bitmap.SetHeight(2);
    bitmap.SetWidth(3);
    ASSERT_EQ(bitmap.Width(), 3);
    ASSERT_EQ(bitmap.Height(), 2);
    for (std::int32_t y = 0; y < 2; ++y) {
        for (std::int32_t x = 0; x < 2; ++x)
            EXPECT_EQ(bitmap.Canvas().GetPixel(x, y), Distinct(x, y)) << x << "," << y;
        EXPECT_EQ(bitmap.Canvas().GetPixel(2, y), clWhite);
    }
    EXPECT_EQ(bitmap.Canvas().GetPixel(0, 2), clNone) << "the bottom row is gone";
}

TEST(Bitmap, ZeroSideDropsThePixelsAndSettingTheSameSizeChangesNothing)
{
    TBitmap bitmap;
    Paint(bitmap, 4, 4, Distinct);
    int changes = 0;
    bitmap.SetOnChange([&] { ++changes; });
    bitmap.SetWidth(4);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(bitmap.Canvas().GetPixel(3, 3), Distinct(3, 3));
    bitmap.SetHeight(0);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(changes, 1);
    bitmap.SetHeight(2);
    EXPECT_EQ(bitmap.Canvas().GetPixel(3, 1), clWhite) << "pixels once dropped do not come back";
}

TEST(Bitmap, ImpossibleSizesRaiseOutOfResourcesAndKeepThePixels)
{
    TBitmap bitmap;
    Paint(bitmap, 3, 3, Distinct);
    for (auto [width, height] : {std::pair{-1, 3}, std::pair{3, -5}, std::pair{100000, 100000},
                                 std::pair{INT32_MAX, 3}}) {
        try {
            bitmap.SetSize(width, height);
            ADD_FAILURE() << width << "x" << height << " was accepted";
        } catch (const EOutOfResources& error) {
            EXPECT_STREQ(error.what(), "Out of system resources");
        }
        EXPECT_EQ(bitmap.Width(), 3);
        EXPECT_EQ(bitmap.Canvas().GetPixel(2, 2), Distinct(2, 2));
    }
}

TEST(Bitmap, PixelAccessOutsideTheSurface)
{
    TBitmap bitmap;
    Paint(bitmap, 5, 4, Distinct);
    EXPECT_EQ(bitmap.Canvas().GetPixel(5, 0), static_cast<TColor>(0xFFFFFFFF));
    EXPECT_EQ(bitmap.Canvas().GetPixel(0, 4), static_cast<TColor>(0xFFFFFFFF));
    EXPECT_EQ(bitmap.Canvas().GetPixel(-1, 0), static_cast<TColor>(0xFFFFFFFF));
    int changes = 0;
    bitmap.SetOnChange([&] { ++changes; });
    for (auto [x, y] : {std::pair{5, 0}, std::pair{0, 4}, std::pair{-1, -1}, std::pair{INT32_MIN, INT32_MAX}})
        bitmap.Canvas().SetPixel(x, y, 0x123456);
    EXPECT_EQ(changes, 0);
    for (std::int32_t y = 0; y < 4; ++y)
        for (std::int32_t x = 0; x < 5; ++x)
            EXPECT_EQ(bitmap.Canvas().GetPixel(x, y), Distinct(x, y));
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
    EXPECT_EQ(original.Canvas().GetPixel(1, 1), Distinct(1, 1));

    TBitmap second;
    second.Assign(&original);
    original.Canvas().FillRect(TRect{0, 0, 3, 3});
    EXPECT_EQ(second.Canvas().GetPixel(2, 2), Distinct(2, 2)) << "a change of the source never shows";
    second.SetWidth(5);
    EXPECT_EQ(original.Width(), 3);
}

TEST(Bitmap, AssigningNothingEmpties)
{
    TBitmap bitmap;
    Paint(bitmap, 3, 3, Distinct);
    bitmap.Assign(nullptr);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(bitmap.Height(), 0);
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
    EXPECT_EQ(changes, 5);
    EXPECT_EQ(bitmap.Canvas().GetPixel(0, 0), Distinct(0, 0)) << "the last drawing arrived";
}

TEST(Bitmap, ColoursAreKeptExactlyAt24And32BitsAndReducedAt16)
{
    for (int depth : {16, 24, 32}) {
        DisplayDepthScope scope(depth);
        TBitmap bitmap;
        bitmap.SetSize(4, 1);
        EXPECT_EQ(bitmap.BitsPerPixel(), depth);
        bitmap.Canvas().SetPixel(0, 0, 0x00123456);
        bitmap.Canvas().SetPixel(1, 0, clWhite);
        bitmap.Canvas().SetPixel(2, 0, clBlack);
        bitmap.Canvas().SetPixel(3, 0, 0x00FF0080);
        EXPECT_EQ(bitmap.Canvas().GetPixel(1, 0), clWhite) << depth;
        EXPECT_EQ(bitmap.Canvas().GetPixel(2, 0), clBlack) << depth;
        if (depth == 16) {
            // Five bits a channel: the low three bits go, the top ones repeat.
            EXPECT_EQ(bitmap.Canvas().GetPixel(0, 0), 0x00103152);
            EXPECT_EQ(bitmap.Canvas().GetPixel(3, 0), 0x00FF0084);
        } else {
            EXPECT_EQ(bitmap.Canvas().GetPixel(0, 0), 0x00123456) << depth;
            EXPECT_EQ(bitmap.Canvas().GetPixel(3, 0), 0x00FF0080) << depth;
        }
    }
}

TEST(Bitmap, EightBitDisplaysGetTheNearestPaletteColour)
{
    DisplayDepthScope scope(8);
    TBitmap bitmap;
    bitmap.SetSize(2, 1);
    EXPECT_EQ(bitmap.BitsPerPixel(), 8);
    EXPECT_EQ(bitmap.Canvas().GetPixel(0, 0), clWhite);
    bitmap.Canvas().SetPixel(0, 0, RGB(250, 5, 48));
    EXPECT_EQ(bitmap.Canvas().GetPixel(0, 0), RGB(255, 0, 51));
}

TEST(Bitmap, ScanLineGivesTheRowsInTheirStoredLayout)
{
    TBitmap bitmap;
    Paint(bitmap, 3, 2, Distinct);
    ASSERT_EQ(bitmap.RowBytes(), 12U);
    const std::uint8_t* row = bitmap.ScanLine(1);
    const TColor colour = Distinct(2, 1);
    EXPECT_EQ(row[8], GetBValue(colour));
    EXPECT_EQ(row[9], GetGValue(colour));
    EXPECT_EQ(row[10], GetRValue(colour));

    TBitmap shared;
    shared.Assign(&bitmap);
    int changes = 0;
    shared.SetOnChange([&] { ++changes; });
    std::uint8_t* writable = shared.MutableScanLine(0);
    writable[0] = writable[1] = writable[2] = 0;
    shared.Modified();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(shared.Canvas().GetPixel(0, 0), clBlack);
    EXPECT_EQ(bitmap.Canvas().GetPixel(0, 0), Distinct(0, 0)) << "writing through a scan line unshares first";
}

} // namespace

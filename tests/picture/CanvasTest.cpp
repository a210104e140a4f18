// Scaled drawing, rectangle copies and fills.
#include "PictureTestSupport.h"

#include "common/picture/TBitmap.h"
#include "common/picture/TCanvas.h"

#include <gtest/gtest.h>

namespace {

// A new display-form surface, white as the sizing makes it.
void MakeWhite(TBitmap& surface, std::int32_t width, std::int32_t height)
{
    surface.SetWidth(width);
    surface.SetHeight(height);
}

TEST(StretchDraw, EnlargingByTwoMakesBlocksOfOneSourceColour)
{
    TBitmap source;
    Paint(source, 2, 2, Distinct);
    TBitmap surface;
    MakeWhite(surface, 4, 4);
    surface.Canvas().StretchDraw(TRect{0, 0, 4, 4}, &source);
    for (std::int32_t y = 0; y < 4; ++y)
        for (std::int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(surface.Canvas().GetPixel(x, y), Distinct(x / 2, y / 2)) << x << "," << y;
}

TEST(StretchDraw, ReducingPicksWholeSourcePixelsByTheTruncatedIndexRule)
{
    // Destination x takes source x * sourceWidth / destWidth, truncated:
    // 4 -> 2 picks 0 and 2; 5 -> 3 picks 0, 1 and 3; rows the same way.
    struct Case {
        std::int32_t sourceSize;
        std::int32_t destSize;
        std::vector<std::int32_t> picks;
    };
    for (const Case& c : {Case{4, 2, {0, 2}}, Case{5, 3, {0, 1, 3}}, Case{7, 3, {0, 2, 4}},
                          Case{3, 7, {0, 0, 0, 1, 1, 2, 2}}}) {
        TBitmap source;
        Paint(source, c.sourceSize, c.sourceSize, Distinct);
        TBitmap surface;
        MakeWhite(surface, c.destSize, c.destSize);
        surface.Canvas().StretchDraw(TRect{0, 0, c.destSize, c.destSize}, &source);
        for (std::int32_t y = 0; y < c.destSize; ++y)
            for (std::int32_t x = 0; x < c.destSize; ++x)
                EXPECT_EQ(surface.Canvas().GetPixel(x, y),
                          Distinct(c.picks[static_cast<std::size_t>(x)], c.picks[static_cast<std::size_t>(y)]))
                    << c.sourceSize << "->" << c.destSize << " at " << x << "," << y;
    }
}

TEST(StretchDraw, PartsOutsideTheSurfaceAreCutOffWithoutMovingTheRest)
{
    TBitmap source;
    Paint(source, 6, 6, Distinct);
    TBitmap whole;
    MakeWhite(whole, 12, 12);
    whole.Canvas().StretchDraw(TRect{0, 0, 12, 12}, &source);

    // The same drawing moved up and left by 3: what stays on the surface
    // equals the shifted whole drawing; nothing wraps or shifts.
    TBitmap cut;
    MakeWhite(cut, 8, 8);
    cut.Canvas().StretchDraw(TRect{-3, -3, 9, 9}, &source);
    for (std::int32_t y = 0; y < 8; ++y)
        for (std::int32_t x = 0; x < 8; ++x) {
            const TColor expected = (x + 3 < 12 && y + 3 < 12) ? whole.Canvas().GetPixel(x + 3, y + 3) : clWhite;
            EXPECT_EQ(cut.Canvas().GetPixel(x, y), expected) << x << "," << y;
        }
}

TEST(StretchDraw, HugeRectanglesAreCutWithoutOverflow)
{
    TBitmap source;
    Paint(source, 4, 4, Distinct);
    TBitmap surface;
    MakeWhite(surface, 3, 3);
    // 2^32 - 1 pixels wide, starting at -2^31: the surface lies in the middle
    // of the span, where source column and row 2 begin.
    surface.Canvas().StretchDraw(TRect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, &source);
    // A source rectangle that wide puts the surface's sources far outside
    // the 4 x 4 source: nothing changes.
    surface.Canvas().CopyRect(TRect{0, 0, 3, 3}, source.Canvas(), TRect{INT32_MIN, 0, INT32_MAX, 4});
    for (std::int32_t y = 0; y < 3; ++y)
        for (std::int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(surface.Canvas().GetPixel(x, y), Distinct(2, 2)) << x << "," << y;
}

TEST(StretchDraw, NothingForNoGraphicOrAnEmptyRectangle)
{
    TBitmap source;
    Paint(source, 2, 2, [](std::int32_t, std::int32_t) { return clBlack; });
    TBitmap surface;
    MakeWhite(surface, 3, 3);
    surface.Canvas().StretchDraw(TRect{0, 0, 3, 3}, nullptr);
    surface.Canvas().StretchDraw(TRect{1, 1, 1, 3}, &source);
    surface.Canvas().StretchDraw(TRect{2, 2, 0, 0}, &source);
    for (std::int32_t y = 0; y < 3; ++y)
        for (std::int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(surface.Canvas().GetPixel(x, y), clWhite);
}

TEST(StretchDraw, ABitmapDrawnOntoItselfReadsItsOldPixels)
{
    TBitmap bitmap;
    Paint(bitmap, 4, 4, Distinct);
    bitmap.Canvas().StretchDraw(TRect{0, 0, 8, 8}, &bitmap);
    for (std::int32_t y = 0; y < 4; ++y)
        for (std::int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(bitmap.Canvas().GetPixel(x, y), Distinct(x / 2, y / 2));
}

TEST(StretchDraw, ConvertsEveryDepthToTheSurfaceDepth)
{
    TBitmap source;
    Paint(source, 3, 2, Distinct);
    for (int depth : {24, 32}) {
        DisplayDepthScope scope(depth);
        TBitmap surface;
        MakeWhite(surface, 3, 2);
        surface.Canvas().StretchDraw(TRect{0, 0, 3, 2}, &source);
        for (std::int32_t y = 0; y < 2; ++y)
            for (std::int32_t x = 0; x < 3; ++x)
                EXPECT_EQ(surface.Canvas().GetPixel(x, y), Distinct(x, y)) << depth;
    }
}

TEST(CopyRect, EqualSizesCopyEveryPixelUnchanged)
{
    TBitmap source;
    Paint(source, 10, 8, Distinct);
    TBitmap target;
    MakeWhite(target, 6, 6);
    target.Canvas().CopyRect(TRect{1, 2, 5, 5}, source.Canvas(), TRect{3, 4, 7, 7});
    for (std::int32_t y = 0; y < 6; ++y)
        for (std::int32_t x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x < 5 && y >= 2 && y < 5;
            EXPECT_EQ(target.Canvas().GetPixel(x, y), inside ? Distinct(x + 2, y + 2) : clWhite) << x << "," << y;
        }
}

TEST(CopyRect, PixelsWhoseSourceIsOutsideTheSourceSurfaceStayAsTheyWere)
{
    // The capture window copies its crop frame from wherever the picture
    // lies; the uncovered part keeps the white it was filled with.
    TBitmap source;
    Paint(source, 4, 4, Distinct);
    TBitmap target;
    MakeWhite(target, 6, 6);
    target.Canvas().CopyRect(TRect{0, 0, 6, 6}, source.Canvas(), TRect{-2, -1, 4, 5});
    for (std::int32_t y = 0; y < 6; ++y)
        for (std::int32_t x = 0; x < 6; ++x) {
            const std::int32_t sx = x - 2;
            const std::int32_t sy = y - 1;
            const bool covered = sx >= 0 && sx < 4 && sy >= 0 && sy < 4;
            EXPECT_EQ(target.Canvas().GetPixel(x, y), covered ? Distinct(sx, sy) : clWhite) << x << "," << y;
        }
}

TEST(CopyRect, OverlappingCopyWithinOneSurfaceReadsTheOldPixels)
{
    TBitmap bitmap;
    Paint(bitmap, 5, 1, Distinct);
    bitmap.Canvas().CopyRect(TRect{1, 0, 5, 1}, bitmap.Canvas(), TRect{0, 0, 4, 1});
    EXPECT_EQ(bitmap.Canvas().GetPixel(0, 0), Distinct(0, 0));
    for (std::int32_t x = 1; x < 5; ++x)
        EXPECT_EQ(bitmap.Canvas().GetPixel(x, 0), Distinct(x - 1, 0));
}

TEST(CopyRect, DifferentSizesScaleByTheSameRule)
{
    TBitmap source;
    Paint(source, 4, 4, Distinct);
    TBitmap target;
    MakeWhite(target, 2, 2);
    target.Canvas().CopyRect(TRect{0, 0, 2, 2}, source.Canvas(), TRect{0, 0, 4, 4});
    EXPECT_EQ(target.Canvas().GetPixel(1, 1), Distinct(2, 2));
}

TEST(FillRect, WhitensTheRectangleOnlyAndIsCutAtTheEdges)
{
    TBitmap bitmap;
    Paint(bitmap, 120, 180, Distinct);
    bitmap.Canvas().FillRect(TRect{0, 0, 120, 180});
    for (std::int32_t y = 0; y < 180; ++y)
        for (std::int32_t x = 0; x < 120; ++x)
            ASSERT_EQ(bitmap.Canvas().GetPixel(x, y), clWhite) << x << "," << y;

    TBitmap partly;
    Paint(partly, 4, 4, Distinct);
    partly.Canvas().FillRect(TRect{2, -5, 100, 2});
    for (std::int32_t y = 0; y < 4; ++y)
        for (std::int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(partly.Canvas().GetPixel(x, y), (x >= 2 && y < 2) ? clWhite : Distinct(x, y)) << x << "," << y;
}

} // namespace

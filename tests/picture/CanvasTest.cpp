// Scaled drawing, rectangle copies and fills.
#include "PictureTestSupport.h"

namespace {

TEST(StretchDraw, PicksWholeSourcePixelsByTheTruncatedIndexRule)
{
    // Destination x takes source x * sourceWidth / destWidth, truncated:
    // 4 -> 2 picks 0 and 2; 5 -> 3 picks 0, 1 and 3; rows the same way.
    struct Case {
        std::int32_t sourceSize;
        std::int32_t destSize;
        std::vector<std::int32_t> picks;
    };
    for (const Case& c : {Case{2, 4, {0, 0, 1, 1}}, Case{4, 2, {0, 2}}, Case{5, 3, {0, 1, 3}}, Case{7, 3, {0, 2, 4}},
                          Case{3, 7, {0, 0, 0, 1, 1, 2, 2}}}) {
        TBitmap source;
        Paint(source, c.sourceSize, c.sourceSize, Distinct);
        TBitmap surface;
        surface.SetSize(c.destSize, c.destSize);
        surface.Canvas().StretchDraw(TRect{0, 0, c.destSize, c.destSize}, &source);
        EXPECT_TRUE(PixelsAre(surface, [&](std::int32_t x, std::int32_t y) {
            return Distinct(c.picks[static_cast<std::size_t>(x)], c.picks[static_cast<std::size_t>(y)]);
        })) << c.sourceSize << "->" << c.destSize;
    }
}

TEST(StretchDraw, PartsOutsideTheSurfaceAreCutOffWithoutMovingTheRest)
{
    TBitmap source;
    Paint(source, 6, 6, Distinct);
    TBitmap whole;
    whole.SetSize(12, 12);
    whole.Canvas().StretchDraw(TRect{0, 0, 12, 12}, &source);
    // The same drawing moved up and left by 3: what stays on the surface
    // equals the shifted whole drawing; nothing wraps or shifts.
    TBitmap cut;
    cut.SetSize(8, 8);
    cut.Canvas().StretchDraw(TRect{-3, -3, 9, 9}, &source);
    EXPECT_TRUE(PixelsAre(cut, [&](std::int32_t x, std::int32_t y) {
        return x + 3 < 12 && y + 3 < 12 ? whole.Canvas().GetPixel(x + 3, y + 3) : clWhite;
    }));
}

TEST(StretchDraw, EmptyRectanglesDrawNothingAndHugeOnesAreCutWithoutOverflow)
{
    TBitmap source;
    Paint(source, 4, 4, Distinct);
    TBitmap surface;
    surface.SetSize(3, 3);
    surface.Canvas().StretchDraw(TRect{0, 0, 3, 3}, nullptr);
    surface.Canvas().StretchDraw(TRect{1, 1, 1, 3}, &source);
    surface.Canvas().StretchDraw(TRect{2, 2, 0, 0}, &source);
    EXPECT_TRUE(PixelsAre(surface, White));
    // 2^32 - 1 pixels wide, starting at -2^31: the surface lies in the middle
    // of the span, where source column and row 2 begin.
    surface.Canvas().StretchDraw(TRect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, &source);
    // A source rectangle that wide puts the surface's sources far outside
    // the 4 x 4 source: nothing changes.
    surface.Canvas().CopyRect(TRect{0, 0, 3, 3}, source.Canvas(), TRect{INT32_MIN, 0, INT32_MAX, 4});
    EXPECT_TRUE(PixelsAre(surface, [](std::int32_t, std::int32_t) { return Distinct(2, 2); }));
}

TEST(StretchDraw, ABitmapDrawnOntoItselfReadsItsOldPixels)
{
    TBitmap bitmap;
    Paint(bitmap, 4, 4, Distinct);
    bitmap.Canvas().StretchDraw(TRect{0, 0, 8, 8}, &bitmap);
    EXPECT_TRUE(PixelsAre(bitmap, [](std::int32_t x, std::int32_t y) { return Distinct(x / 2, y / 2); }));
}

TEST(StretchDraw, ConvertsEveryDepthToTheSurfaceDepth)
{
    for (auto [from, to] : {std::pair{32, 24}, std::pair{24, 32}, std::pair{16, 32}}) {
        TBitmap source;
        {
            DisplayDepthScope scope(from);
            Paint(source, 3, 2, Distinct);
        }
        DisplayDepthScope scope(to);
        TBitmap surface;
        surface.SetSize(3, 2);
        surface.Canvas().StretchDraw(TRect{0, 0, 3, 2}, &source);
        EXPECT_EQ(surface.BitsPerPixel(), to);
        EXPECT_TRUE(SamePixels(surface, source)) << from << " -> " << to;
    }
}

TEST(CopyRect, CopiesEqualSizesUnchangedAndLeavesWhatHasNoSourceAlone)
{
    // The capture window copies its crop frame from wherever the picture
    // lies; the uncovered part keeps the white it was filled with.
    TBitmap source;
    Paint(source, 10, 8, Distinct);
    struct Case {
        TRect target;
        TRect from;
        std::int32_t dx, dy;  // source pixel = target pixel + (dx, dy)
    };
    for (const Case& c : {Case{{1, 2, 5, 5}, {3, 4, 7, 7}, 2, 2}, Case{{0, 0, 6, 6}, {-2, -1, 4, 5}, -2, -1},
                          Case{{0, 0, 6, 6}, {6, 5, 12, 11}, 6, 5}}) {
        TBitmap target;
        target.SetSize(6, 6);
        target.Canvas().CopyRect(c.target, source.Canvas(), c.from);
        EXPECT_TRUE(PixelsAre(target, [&](std::int32_t x, std::int32_t y) {
            const std::int32_t sx = x + c.dx;
            const std::int32_t sy = y + c.dy;
            const bool inside = x >= c.target.Left && x < c.target.Right && y >= c.target.Top && y < c.target.Bottom;
            return inside && sx >= 0 && sx < 10 && sy >= 0 && sy < 8 ? Distinct(sx, sy) : clWhite;
        })) << c.dx << "," << c.dy;
    }
}

TEST(CopyRect, OverlappingCopyReadsTheOldPixelsAndDifferentSizesScale)
{
    TBitmap bitmap;
    Paint(bitmap, 5, 1, Distinct);
    bitmap.Canvas().CopyRect(TRect{1, 0, 5, 1}, bitmap.Canvas(), TRect{0, 0, 4, 1});
    EXPECT_TRUE(PixelsAre(bitmap, [](std::int32_t x, std::int32_t) { return Distinct(x == 0 ? 0 : x - 1, 0); }));

    TBitmap source;
    Paint(source, 4, 4, Distinct);
    TBitmap target;
    target.SetSize(2, 2);
    target.Canvas().CopyRect(TRect{0, 0, 2, 2}, source.Canvas(), TRect{0, 0, 4, 4});
    EXPECT_TRUE(PixelsAre(target, [](std::int32_t x, std::int32_t y) { return Distinct(x * 2, y * 2); }));
}

TEST(FillRect, WhitensTheRectangleOnlyAndIsCutAtTheEdges)
{
    TBitmap bitmap;
    Paint(bitmap, 120, 180, Distinct);
    bitmap.Canvas().FillRect(TRect{0, 0, 120, 180});
    EXPECT_TRUE(PixelsAre(bitmap, White));

    TBitmap partly;
    Paint(partly, 4, 4, Distinct);
    partly.Canvas().FillRect(TRect{2, -5, 100, 2});
    EXPECT_TRUE(PixelsAre(partly, [](std::int32_t x, std::int32_t y) { return x >= 2 && y < 2 ? clWhite : Distinct(x, y); }));
}

} // namespace

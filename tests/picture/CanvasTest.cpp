// Scaled drawing, rectangle copies and fills.
#include "PictureTestSupport.h"

namespace {

TEST(StretchDraw, PicksWholeSourcePixelsByTheTruncatedIndexRule)
{
    // Destination x takes source x * sourceWidth / destWidth, truncated:
    // 4 -> 2 picks 0 and 2; 5 -> 3 picks 0, 1 and 3; rows the same way.
    for (const auto& [sourceSize, destSize, picks] : {std::tuple{2, 4, std::vector<std::int32_t>{0, 0, 1, 1}},
                                                      {4, 2, {0, 2}},
                                                      {5, 3, {0, 1, 3}},
                                                      {7, 3, {0, 2, 4}},
                                                      {3, 7, {0, 0, 0, 1, 1, 2, 2}}}) {
        TBitmap source;
        Paint(source, sourceSize, sourceSize, Distinct);
        TBitmap surface;
        surface.SetSize(destSize, destSize);
        surface.Canvas().StretchDraw(TRect{0, 0, destSize, destSize}, &source);
        EXPECT_TRUE(PixelsAre(surface,
                              [&](std::int32_t x, std::int32_t y) {
                                  return Distinct(picks[static_cast<std::size_t>(x)],
                                                  picks[static_cast<std::size_t>(y)]);
                              }))
            << sourceSize << "->" << destSize;
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

TEST(StretchDraw, ConvertsEveryDepthToTheSurfaceDepth)
{
    for (auto [from, to] : {std::pair{32, 24}, std::pair{24, 32}, std::pair{16, 32}}) {
        TBitmap source{DisplayColorDepth(from)};
        Paint(source, 3, 2, Distinct);
        TBitmap surface{DisplayColorDepth(to)};
        surface.SetSize(3, 2);
        surface.Canvas().StretchDraw(TRect{0, 0, 3, 2}, &source);
        EXPECT_EQ(surface.BitsPerPixel(), to);
        EXPECT_TRUE(SamePixels(surface, source)) << from << " -> " << to;
    }
}

TEST(CopyRect, CopiesEqualSizesUnchangedScalesOthersAndLeavesWhatHasNoSourceAlone)
{
    // The capture window copies its crop frame from wherever the picture
    // lies; the uncovered part keeps the white it was filled with.
    TBitmap source;
    Paint(source, 10, 8, Distinct);
    // Rows: target rectangle, source rectangle, and the offset from a target
    // pixel to its source pixel.
    for (const auto& [to, from, dx, dy] : {std::tuple{TRect{1, 2, 5, 5}, TRect{3, 4, 7, 7}, 2, 2},
                                           {TRect{0, 0, 6, 6}, TRect{-2, -1, 4, 5}, -2, -1},
                                           {TRect{0, 0, 6, 6}, TRect{6, 5, 12, 11}, 6, 5}}) {
        TBitmap target;
        target.SetSize(6, 6);
        target.Canvas().CopyRect(to, source.Canvas(), from);
        EXPECT_TRUE(PixelsAre(target,
                              [&](std::int32_t x, std::int32_t y) {
                                  const std::int32_t sx = x + dx;
                                  const std::int32_t sy = y + dy;
                                  const bool inside = x >= to.Left && x < to.Right && y >= to.Top && y < to.Bottom;
                                  return inside && sx >= 0 && sx < 10 && sy >= 0 && sy < 8 ? Distinct(sx, sy) : clWhite;
                              }))
            << dx << "," << dy;
    }
    // Different sizes scale by the stretch rule.
    TBitmap half;
    half.SetSize(2, 2);
    half.Canvas().CopyRect(TRect{0, 0, 2, 2}, source.Canvas(), TRect{0, 0, 4, 4});
    EXPECT_TRUE(PixelsAre(half, [](std::int32_t x, std::int32_t y) { return Distinct(x * 2, y * 2); }));
}

TEST(Canvas, DrawingOrCopyingWithinOneSurfaceReadsItsOldPixels)
{
    TBitmap bitmap;
    Paint(bitmap, 4, 4, Distinct);
    bitmap.Canvas().StretchDraw(TRect{0, 0, 8, 8}, &bitmap);
    EXPECT_TRUE(PixelsAre(bitmap, [](std::int32_t x, std::int32_t y) { return Distinct(x / 2, y / 2); }));
    Paint(bitmap, 4, 4, Distinct);
    bitmap.Canvas().CopyRect(TRect{1, 0, 4, 4}, bitmap.Canvas(), TRect{0, 0, 3, 4});
    EXPECT_TRUE(PixelsAre(bitmap, [](std::int32_t x, std::int32_t y) { return Distinct(x == 0 ? 0 : x - 1, y); }));
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
    EXPECT_TRUE(
        PixelsAre(partly, [](std::int32_t x, std::int32_t y) { return x >= 2 && y < 2 ? clWhite : Distinct(x, y); }));
}

} // namespace

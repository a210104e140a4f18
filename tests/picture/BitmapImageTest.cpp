// The conversion the Image control paints with.
#include "PictureTestSupport.h"

#include "common/widgets/BitmapImage.h"

#include <gtest/gtest.h>

namespace {

TEST(BitmapImage, CopiesEveryPixelIntoAnOpaqueRgb32Image)
{
    for (int depth : {16, 24, 32}) {
        DisplayDepthScope scope(depth);
        TBitmap bitmap;
        Paint(bitmap, 5, 3, Distinct);
        const QImage image = ToQImage(bitmap);
        ASSERT_EQ(image.format(), QImage::Format_RGB32);
        ASSERT_EQ(image.size(), QSize(5, 3));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                const TColor colour = bitmap.Canvas().GetPixel(x, y);
                EXPECT_EQ(image.pixel(x, y), qRgb(GetRValue(colour), GetGValue(colour), GetBValue(colour)))
                    << depth << ":" << x << "," << y;
            }
    }
    TBitmap indexed;
    indexed.LoadFromFile(TestData("bmpsuite/g/pal4.bmp"));
    EXPECT_TRUE(SamePixels(indexed, ToQImage(indexed)));
}

TEST(BitmapImage, ABitmapWithoutPixelsGivesANullImage)
{
    TBitmap bitmap;
    bitmap.SetWidth(10);
    EXPECT_TRUE(ToQImage(bitmap).isNull());
}

} // namespace

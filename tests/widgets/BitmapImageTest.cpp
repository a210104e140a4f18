// The conversion of a Bitmap into the QImage the Image control paints.
#include "widgets/BitmapImage.h"

#include "picture/ReferenceImages.h"

namespace {

// The conversion the Image control paints with.
TEST(BitmapImage, CopiesEveryPixelIntoAnOpaqueRgb32Image)
{
    for (int depth : {16, 24, 32}) {
        TBitmap bitmap{DisplayColorDepth(depth)};
        Paint(bitmap, 5, 3, Distinct);
        const QImage image = ToQImage(bitmap);
        EXPECT_EQ(image.format(), QImage::Format_RGB32) << depth;
        EXPECT_TRUE(SamePixels(bitmap, image)) << depth;
    }
    TBitmap indexed;
    indexed.LoadFromFile(TestData("bmpsuite/g/pal4.bmp"));
    EXPECT_TRUE(SamePixels(indexed, ToQImage(indexed)));

    TBitmap noPixels;
    noPixels.SetWidth(10);
    EXPECT_TRUE(ToQImage(noPixels).isNull());
}

} // namespace

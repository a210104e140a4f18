// The proof sheets' thumbnails: the picture component's own decoding,
// upright like the windows show a photo.
#include "assignment/views/Thumbnail.h"

#include "support/TestFiles.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The mean difference of two images of one size, per colour channel (0 to 255).
double MeanDifference(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int column = 0; column < x.width(); ++column) {
            const QRgb p = x.pixel(column, row);
            const QRgb q = y.pixel(column, row);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * x.width() * x.height());
}

TEST(Thumbnail, APhotoStoredTurnedIsShownUpright)
{
    const QSize box(60, 90);
    const QImage upright = MakeThumbnail(TestDataPath("jpeg/photos/Portrait_1.jpg"), box);
    const QImage turned = MakeThumbnail(TestDataPath("jpeg/photos/Portrait_6.jpg"), box);
    ASSERT_EQ(upright.size(), box);
    ASSERT_EQ(turned.size(), box);
    // The two files hold one picture, compressed each its own way.
    EXPECT_LT(MeanDifference(turned, upright), 8.0);
    // Not a mirror image of it either, which has the same size.
    EXPECT_GT(MeanDifference(turned, upright.mirrored(true, false)), 3 * MeanDifference(turned, upright));
}

TEST(Thumbnail, KeepsTheShapeWithinTheBoxAndNeverEnlarges)
{
    EXPECT_EQ(MakeThumbnail(TestDataPath("jpeg/photos/concert.jpg"), QSize(60, 90)).size(), QSize(60, 40));
    EXPECT_EQ(MakeThumbnail(TestDataPath("jpeg/photos/hopper.jpg"), QSize(600, 900)).size(), QSize(128, 128));
    // A BMP under a JPEG name is read by its content.
    QTemporaryDir folder;
    const QString bmp = folder.filePath("photo.jpg");
    WriteFile(bmp, ReadFile(TestDataPath("bmpsuite/g/rgb24.bmp")));
    EXPECT_EQ(MakeThumbnail(bmp, QSize(60, 90)).size(), QSize(60, 30));
}

TEST(Thumbnail, NothingForAFileThatIsNoPicture)
{
    QTemporaryDir folder;
    const QString text = folder.filePath("005.jpg");
    WriteFile(text, "this is not a photo\r\n");
    EXPECT_TRUE(MakeThumbnail(text, QSize(60, 90)).isNull());
    EXPECT_TRUE(MakeThumbnail(folder.filePath("missing.jpg"), QSize(60, 90)).isNull());
    EXPECT_TRUE(MakeThumbnail(folder.path(), QSize(60, 90)).isNull());
}

} // namespace

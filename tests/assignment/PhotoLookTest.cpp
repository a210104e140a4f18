// Telling the same picture under other bytes: saved again, at another size
// or quality, from photos of other people.
#include "assignment/checks/PhotoLook.h"

#include "assignment/checks/PhotoPixels.h"
#include "support/TestFiles.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class PhotoLookTest : public ::testing::Test {
protected:
    static PhotoLook Look(const QString& path)
    {
        PhotoPixels photo(path);
        return LookOf(photo);
    }

    // `image` saved by Qt's JPEG writer, another encoder than the one that made the test photos.
    QString Saved(const QString& name, const QImage& image, int quality = 90) const
    {
        const QString path = folder.filePath(name);
        if (!image.save(path, "JPEG", quality))
            throw std::runtime_error("cannot save " + path.toStdString());
        return path;
    }

    static QImage Photo(const QString& name) { return QImage(TestDataPath("jpeg/photos/" + name)); }

    // A passport-style photo: the face of `name` (its part `face`) before one plain backdrop.
    QString OnBackdrop(const QString& file, const QString& name, const QRect& face) const
    {
        QImage photo(240, 360, QImage::Format_RGB32);
        photo.fill(QColor(70, 130, 200));
        QPainter painter(&photo);
        painter.drawImage(QRect(40, 60, 160, 300), Photo(name).copy(face));
        painter.end();
        return Saved(file, photo);
    }

    QTemporaryDir folder;
};

TEST_F(PhotoLookTest, ACopySavedAgainAtAnotherSizeOrQualityIsTheSamePicture)
{
    const QImage obama = Photo("obama.jpg");
    const QImage portrait = Photo("obama_backstage_the_white_house.jpg");
    ASSERT_FALSE(obama.isNull());
    const struct {
        const char* name;
        QString original;
        QString copy;
    } cases[] = {
        {"a quarter of the size, quality 50", TestDataPath("jpeg/photos/obama.jpg"),
         Saved("small.jpg", obama.scaled(obama.size() / 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), 50)},
        {"quality 30", TestDataPath("jpeg/photos/obama.jpg"), Saved("q30.jpg", obama, 30)},
        {"120 x 180", TestDataPath("jpeg/photos/obama_backstage_the_white_house.jpg"),
         Saved("120.jpg", portrait.scaled(120, 180, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), 85)},
        {"upright and stored turned with its EXIF tag", TestDataPath("jpeg/photos/Portrait_1.jpg"),
         TestDataPath("jpeg/photos/Portrait_6.jpg")},
        {"grey and colour", TestDataPath("jpeg/photos/biden.jpg"), TestDataPath("jpeg/photos/derived_biden_gray.jpg")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PhotoLook a = Look(c.original);
        const PhotoLook b = Look(c.copy);
        // Far within the bounds (10 bits, 10 grey levels): 0 to 2 bits and
        // 0.1 to 2.5 levels measured.
        const LookDistance distance = DistanceOf(a, b);
        EXPECT_LE(distance.hashBits, 5);
        EXPECT_LE(distance.grey, 5.0);
        EXPECT_TRUE(SamePicture(a, b));
    }
}

TEST_F(PhotoLookTest, PhotosOfOtherPeopleOrOtherMomentsAreNot)
{
    const QString backdropA = OnBackdrop("a.jpg", "obama.jpg", QRect(200, 100, 500, 900));
    const QString backdropB = OnBackdrop("b.jpg", "biden.jpg", QRect(150, 200, 650, 1200));
    const QString backdropC = OnBackdrop("c.jpg", "obama2.jpg", QRect(80, 100, 460, 860));
    const QStringList photos{TestDataPath("jpeg/photos/obama.jpg"),
                             TestDataPath("jpeg/photos/obama2.jpg"),
                             TestDataPath("jpeg/photos/biden.jpg"),
                             TestDataPath("jpeg/photos/obama_backstage_the_white_house.jpg"),
                             TestDataPath("jpeg/photos/Portrait_1.jpg"),
                             TestDataPath("jpeg/photos/hopper.jpg"),
                             backdropA,
                             backdropB,
                             backdropC};
    for (qsizetype i = 0; i < photos.size(); ++i) {
        for (qsizetype j = i + 1; j < photos.size(); ++j) {
            SCOPED_TRACE(QStringLiteral("%1 and %2").arg(photos[i], photos[j]).toStdString());
            const PhotoLook a = Look(photos[i]);
            const PhotoLook b = Look(photos[j]);
            // 24 to 40 bits and 25 to 100 grey levels measured; the faces
            // before one backdrop differ least.
            const LookDistance distance = DistanceOf(a, b);
            EXPECT_GE(distance.hashBits, 20);
            EXPECT_GE(distance.grey, 20.0);
            EXPECT_FALSE(SamePicture(a, b));
        }
    }
}

TEST_F(PhotoLookTest, BlankPicturesAreAlikeWhenTheirGreyIs)
{
    QImage grey(120, 180, QImage::Format_RGB32);
    grey.fill(QColor(128, 128, 128));
    QImage lighter(240, 360, QImage::Format_RGB32);
    lighter.fill(QColor(131, 131, 131));
    QImage dark(120, 180, QImage::Format_RGB32);
    dark.fill(QColor(60, 60, 60));
    const PhotoLook a = Look(Saved("grey.jpg", grey));
    EXPECT_TRUE(a.flat);
    EXPECT_TRUE(SamePicture(a, Look(Saved("lighter.jpg", lighter, 40))));
    EXPECT_FALSE(SamePicture(a, Look(Saved("dark.jpg", dark))));
    EXPECT_FALSE(SamePicture(a, Look(TestDataPath("jpeg/photos/obama.jpg"))));
}

TEST_F(PhotoLookTest, APictureThePictureComponentCannotDecodeHasNoLook)
{
    WriteFile(folder.filePath("text.jpg"), "this is not a photo\r\n");
    EXPECT_THROW(Look(folder.filePath("text.jpg")), EUnreadablePhoto);
    EXPECT_THROW(Look(folder.filePath("missing.jpg")), EUnreadablePhoto);
    EXPECT_THROW(Look(folder.path()), EUnreadablePhoto);
    // Its header reads well; its Huffman table fails the decoding.
    try {
        Look(TestDataPath("jpeg/corrupt/derive-huffman-codes-overflow.jpg"));
        ADD_FAILURE() << "a damaged JPEG file decoded";
    } catch (const EUnreadablePhoto& error) {
        EXPECT_EQ(QString::fromUtf8(error.what()), QStringLiteral("JPEG 图片已损坏（JPEG error #8）"));
    }
}

} // namespace

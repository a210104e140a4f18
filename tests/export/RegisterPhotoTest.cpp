#include "export/RegisterPhoto.h"

#include "faces/FaceDetector.h"
#include "picture/PictureByContent.h"
#include "picture/ReducedPicture.h"
#include "picture/TBitmap.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

std::unique_ptr<TGraphic> Load(const std::vector<std::uint8_t>& bytes)
{
    return LoadPictureByContent(std::make_shared<const std::vector<std::uint8_t>>(bytes));
}

std::unique_ptr<TGraphic> LoadTestPhoto(const char* relative)
{
    const QByteArray bytes = ReadFile(TestDataPath(QString::fromUtf8(relative)));
    return Load(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

TEST(RegisterPhotoSizeTest, LargestSizeOfTheRegionDownTo150Dpi)
{
    struct Row {
        PictureSize region;
        std::optional<PictureSize> size;
    };
    const Row rows[] = {
        {{2000, 2462}, PictureSize{358, 441}}, // never larger than 358 x 441
        {{358, 441}, PictureSize{358, 441}},
        {{300, 369}, PictureSize{300, 369}},
        {{154, 189}, PictureSize{154, 189}},
        {{400, 189}, PictureSize{154, 189}}, // the height decides
        {{154, 400}, PictureSize{154, 190}}, // the width decides (154 x 189.5)
        {{153, 188}, std::nullopt},
        {{150, 400}, std::nullopt},
        {{500, 180}, std::nullopt},
    };
    for (const Row& row : rows) {
        const std::optional<PictureSize> size = RegisterPhotoSize(row.region);
        ASSERT_EQ(size.has_value(), row.size.has_value()) << row.region.Width << " x " << row.region.Height;
        if (size) {
            EXPECT_EQ(size->Width, row.size->Width) << row.region.Width << " x " << row.region.Height;
            EXPECT_EQ(size->Height, row.size->Height) << row.region.Width << " x " << row.region.Height;
        }
    }
}

// Real photos of people (tests/data/jpeg/photos; of two, the larger face) come out at the
// register's size, under 60 KB, with the face found again in the middle of
// the photo and about as large as the head of two thirds the height needs.
TEST(RegisterPhotoTest, FramesRealPortraitsOnTheFace)
{
    FaceDetector faces;
    struct Row {
        const char* photo;
        // Whether the photo has room above the head to centre it; where not,
        // the frame stops at the photo's top and the head sits higher.
        bool roomAbove;
    };
    const Row rows[] = {{"jpeg/photos/obama.jpg", false},
                        {"jpeg/photos/obama2.jpg", true},
                        {"jpeg/photos/biden.jpg", true},
                        {"jpeg/photos/obama_and_biden.jpg", true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.photo);
        auto made = MakeRegisterPhoto(*LoadTestPhoto(row.photo), faces);
        ASSERT_TRUE(std::holds_alternative<RegisterPhoto>(made));
        const RegisterPhoto& result = std::get<RegisterPhoto>(made);
        EXPECT_LT(result.bytes.size(), 60'000U);
        EXPECT_GE(result.quality, kRegisterLowestQuality);

        const std::unique_ptr<TGraphic> written = Load(result.bytes);
        ASSERT_EQ(SniffPictureKind(result.bytes), PictureKind::Jpeg);
        EXPECT_EQ(written->Width(), result.size.Width);
        EXPECT_EQ(written->Height(), result.size.Height);
        // 26:32, to a pixel.
        EXPECT_NEAR(written->Width() * 32.0 / 26, written->Height(), 1.0);
        EXPECT_GE(written->Height(), kSmallestRegisterPhotoSize.Height);
        EXPECT_LE(written->Height(), kRegisterPhotoSize.Height);

        const ReducedPicture pixels = ReducePicture(*written, 8);
        const std::optional<TRect> face = faces.LargestFace(*pixels.Pixels);
        ASSERT_TRUE(face.has_value());
        const double height = written->Height();
        const double centreX = (face->Left + face->Right) / 2.0 / written->Width();
        const double centreY = (face->Top + face->Bottom) / 2.0 / height;
        const double share = (face->Bottom - face->Top) / height;
        EXPECT_NEAR(centreX, 0.5, 0.06);
        if (row.roomAbove)
            EXPECT_NEAR(centreY, 0.5, 0.06);
        else
            EXPECT_LT(centreY, 0.5);
        // The detector's box is about two thirds of the head: a head of two
        // thirds the height gives a box of about 4/9 of it.
        EXPECT_NEAR(share, 4.0 / 9.0, 0.06);
    }
    // A portrait of 910 x 1137 pixels makes the largest size.
    auto made = MakeRegisterPhoto(*LoadTestPhoto("jpeg/photos/obama2.jpg"), faces);
    ASSERT_TRUE(std::holds_alternative<RegisterPhoto>(made));
    EXPECT_EQ(std::get<RegisterPhoto>(made).size.Width, kRegisterPhotoSize.Width);
    EXPECT_EQ(std::get<RegisterPhoto>(made).size.Height, kRegisterPhotoSize.Height);
}

TEST(RegisterPhotoTest, SaysWhyAPhotoCannotBeMade)
{
    FaceDetector faces;
    struct Row {
        const char* photo;
        RegisterPhotoFault fault;
    };
    const Row rows[] = {
        {"jpeg/photos/hopper.jpg", RegisterPhotoFault::TooSmall},        // a face, in 128 x 128 pixels
        {"jpeg/libjpeg-turbo/testorig.jpg", RegisterPhotoFault::NoFace}, // objects, no person
    };
    for (const Row& row : rows) {
        auto made = MakeRegisterPhoto(*LoadTestPhoto(row.photo), faces);
        ASSERT_TRUE(std::holds_alternative<RegisterPhotoFault>(made)) << row.photo;
        EXPECT_EQ(std::get<RegisterPhotoFault>(made), row.fault) << row.photo;
    }
}

// A real portrait with its background as it is, and with the strips the
// check looks at painted in the register's light blue or a light grey.
TEST(RegisterPhotoTest, TellsALightBlueBackground)
{
    FaceDetector faces;
    auto made = MakeRegisterPhoto(*LoadTestPhoto("jpeg/photos/obama.jpg"), faces);
    ASSERT_TRUE(std::holds_alternative<RegisterPhoto>(made));
    const RegisterPhoto& photo = std::get<RegisterPhoto>(made);
    EXPECT_FALSE(photo.lightBlueBackground);

    struct Row {
        QColor backdrop;
        bool lightBlue;
    };
    const Row rows[] = {{QColor(67, 142, 219), true},
                        {QColor(170, 215, 245), true},
                        {QColor(220, 220, 220), false},
                        {QColor(40, 60, 160), false}};
    for (const Row& row : rows) {
        QImage image = QImage::fromData(photo.bytes.data(), static_cast<int>(photo.bytes.size()), "JPG")
                           .convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(image.isNull());
        QPainter painter(&image);
        const int band = image.height() / 12 + 1;
        const int side = image.width() / 12 + 1;
        painter.fillRect(0, 0, image.width(), band, row.backdrop);
        painter.fillRect(0, 0, side, image.height() / 2, row.backdrop);
        painter.fillRect(image.width() - side, 0, side, image.height() / 2, row.backdrop);
        painter.end();
        QByteArray bmp;
        QBuffer buffer(&bmp);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(image.save(&buffer, "BMP"));
        const std::unique_ptr<TGraphic> painted = Load(std::vector<std::uint8_t>(bmp.begin(), bmp.end()));
        ASSERT_NE(painted->AsBitmap(), nullptr);
        EXPECT_EQ(HasLightBlueBackground(*painted->AsBitmap()), row.lightBlue) << row.backdrop.name().toStdString();
    }
}

} // namespace

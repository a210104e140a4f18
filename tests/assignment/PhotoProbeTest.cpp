// What the plan learns of a photo file: its kind and upright size from the
// header, and which bytes it held.
#include "assignment/checks/PhotoProbe.h"

#include "files/PhotoHash.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QSize>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(PhotoProbe, TheContentHashCoversEveryByteOfTheFileNotOnlyItsHeader)
{
    QTemporaryDir folder;
    const QByteArray photo = ReadFile(TestDataPath("jpeg/photos/hopper.jpg"));
    ASSERT_FALSE(photo.isEmpty());
    // Two files alike in their first megabyte, the length the header reading
    // may stop at, and different after it.
    const QByteArray padding(1 << 20, '\0');
    const QString a = folder.filePath("a.jpg");
    const QString b = folder.filePath("b.jpg");
    WriteFile(a, photo + padding + "A");
    WriteFile(b, photo + padding + "B");

    const PhotoFacts first = ProbePhoto(a);
    const PhotoFacts second = ProbePhoto(b);
    EXPECT_EQ(first.kind, PhotoFacts::Kind::Jpeg);
    EXPECT_EQ(first.size, photo.size() + padding.size() + 1);
    EXPECT_EQ(first.contentHash, PhotoHash(ReadFile(a)));
    EXPECT_NE(first.contentHash, second.contentHash);
}

TEST(PhotoProbe, AFileThatIsNoPictureIsUnreadableButStillKnownByItsBytes)
{
    QTemporaryDir folder;
    const QString text = folder.filePath("005.jpg");
    WriteFile(text, "this is not a photo\r\n");
    const PhotoFacts facts = ProbePhoto(text);
    EXPECT_EQ(facts.kind, PhotoFacts::Kind::Unreadable);
    EXPECT_EQ(facts.problem, QStringLiteral("不是 JPEG 或 BMP 图片"));
    EXPECT_EQ(facts.contentHash, PhotoHash(QByteArray("this is not a photo\r\n")));

    const PhotoFacts missing = ProbePhoto(folder.filePath("none.jpg"));
    EXPECT_EQ(missing.problem, QStringLiteral("图片文件不存在"));
    EXPECT_TRUE(missing.contentHash.isEmpty());
}

TEST(PhotoProbe, TheSizeIsTheUprightOneThatEveryWindowShows)
{
    // The same portrait, stored upright and stored turned with EXIF
    // orientation 6 (its frame header says 1800 × 1200).
    const PhotoFacts upright = ProbePhoto(TestDataPath("jpeg/photos/Portrait_1.jpg"));
    const PhotoFacts turned = ProbePhoto(TestDataPath("jpeg/photos/Portrait_6.jpg"));
    EXPECT_EQ(upright.kind, PhotoFacts::Kind::Jpeg);
    EXPECT_EQ(turned.kind, PhotoFacts::Kind::Jpeg);
    EXPECT_EQ(QSize(upright.width, upright.height), QSize(1200, 1800));
    EXPECT_EQ(QSize(turned.width, turned.height), QSize(1200, 1800));
    // Orientation 8, stored 4608 × 3072: a portrait too.
    const PhotoFacts camera = ProbePhoto(TestDataPath("jpeg/photos/camera_nikon_d3100_DSC_0008_orient8.jpg"));
    EXPECT_EQ(QSize(camera.width, camera.height), QSize(3072, 4608));
    // A landscape without a tag stays a landscape.
    const PhotoFacts landscape = ProbePhoto(TestDataPath("jpeg/photos/concert.jpg"));
    EXPECT_EQ(QSize(landscape.width, landscape.height), QSize(400, 267));
}

} // namespace

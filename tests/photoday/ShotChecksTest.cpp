// The checks of a grab at the camera, on real labelled faces shown in a
// 1920 x 1080 camera frame: the student's own site photo is another photo of
// the same person; blurred, dark, bright, small, faceless and two-person
// frames are made from the same real photos.
#include "faces/FaceDescriber.h"
#include "faces/FaceDetector.h"
#include "faces/LabelledFaces.h"
#include "photoday/BackgroundShotChecks.h"
#include "photoday/ShotExaminer.h"
#include "support/CameraFrames.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace {

const QString kBlurred = QStringLiteral("照片模糊");

QImage Labelled(std::size_t person, std::size_t photo)
{
    return QImage(QString::fromStdString(LabelledPhotoFile(person, photo).string()));
}

// The labelled photo in a black border of 20 pixels (LabelledFaces.h): as
// a portrait shows the background around the head.
QImage Portrait(std::size_t person, std::size_t photo)
{
    return Bordered(Labelled(person, photo), kLabelledBorder);
}

// A camera frame of the labelled photo, the head about 350 pixels high,
// before a dark wall as the photos were taken.
QImage FrameOf(std::size_t person, std::size_t photo, int height = 500)
{
    return CameraFrameShowing(Labelled(person, photo), height, qRgb(0, 0, 0));
}

class ShotChecks : public testing::Test {
protected:
    // The site's photo of `person`: their first labelled photo as a JPEG
    // portrait with some background.
    QString SitePhotoOf(std::size_t person)
    {
        const QString file = folder_.filePath(QStringLiteral("site-%1.jpg").arg(person));
        if (!QFile::exists(file)) {
            EXPECT_TRUE(Portrait(person, 0).save(file, "JPEG", 95));
        }
        return file;
    }
    ShotVerdict Check(const QImage& frame, const QString& sitePhoto = {})
    {
        return examiner_.Check(*BitmapOf(frame), sitePhoto);
    }

    QTemporaryDir folder_;
    ShotExaminer examiner_{FaceDetector::DefaultCascadeFile(), FaceDescriber::DefaultModelFile()};
};

TEST_F(ShotChecks, EveryLabelledPersonPassesAgainstTheirOwnSitePhotoAndFewAgainstAnothers)
{
    int ownRefused = 0;
    int othersTaken = 0;
    for (std::size_t person = 0; person < kLabelledPeople; ++person) {
        const QImage frame = FrameOf(person, 1);
        const ShotVerdict own = Check(frame, SitePhotoOf(person));
        // The photos as taken: one clear, large, well lit face.
        for (const QString& problem : own.problems)
            EXPECT_EQ(problem, kNotTheSitePhotosPerson) << person;
        EXPECT_TRUE(own.notes.isEmpty()) << person << own.notes.join('\n').toStdString();
        ownRefused += !own.Passed();
        const ShotVerdict other = Check(frame, SitePhotoOf((person + 1) % kLabelledPeople));
        othersTaken += !other.problems.contains(kNotTheSitePhotosPerson);
    }
    // The descriptor takes every pair of one person's labelled photos, and
    // about one pair of different people in twenty.
    EXPECT_EQ(ownRefused, 0);
    EXPECT_LE(othersTaken, 4);
}

// Every channel of every pixel through `change`.
QImage Mapped(const QImage& image, const std::function<int(int)>& change)
{
    QImage mapped = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < mapped.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(mapped.scanLine(y));
        for (int x = 0; x < mapped.width(); ++x) {
            const auto channel = [&](int value) { return std::clamp(change(value), 0, 255); };
            line[x] = qRgb(channel(qRed(line[x])), channel(qGreen(line[x])), channel(qBlue(line[x])));
        }
    }
    return mapped;
}

TEST_F(ShotChecks, BlurredDarkBrightSmallFacelessAndCrowdedShotsAreNamed)
{
    constexpr int kHeight = 500; // the labelled photo's height in the frame
    // Before the dark wall the detector's box takes in the whole labelled
    // photo: the framing makes that box 90 pixels of the saved photo.
    constexpr double kFace = kHeight;
    const QRect photoPlace((1920 - kHeight * 92 / 112) / 2, (1080 - kHeight) / 2, kHeight * 92 / 112, kHeight);
    const struct {
        const char* kind;
        std::function<QImage(std::size_t person)> frame;
        QString problem;
    } cases[] = {
        // Out of focus by 2 pixels of the saved photo, where the face is 90 high.
        {"blurred", [&](std::size_t p) { return BlurredAround(FrameOf(p, 2), photoPlace, 2.0 * kFace / 90); },
         kBlurred},
        {"dark", [&](std::size_t p) { return Mapped(FrameOf(p, 2), [](int v) { return v * 15 / 100; }); },
         QStringLiteral("人脸太暗")},
        {"blown out", [&](std::size_t p) { return Mapped(FrameOf(p, 2), [](int v) { return v * 2 + 60; }); },
         QStringLiteral("人脸过亮（曝光过度）")},
        // Far from the camera: the face about 75 pixels high, enlarged in the photo.
        {"far", [&](std::size_t p) { return FrameOf(p, 2, 60); }, QStringLiteral("人脸太小")},
        {"two students",
         [&](std::size_t p) {
             QImage pair(2 * 92 + 20, 112, QImage::Format_RGB32);
             pair.fill(Qt::black);
             QPainter painter(&pair);
             painter.drawImage(0, 0, Labelled(p, 2));
             painter.drawImage(92 + 20, 0, Labelled((p + 5) % kLabelledPeople, 2));
             painter.end();
             return CameraFrameShowing(pair, kHeight, qRgb(0, 0, 0));
         },
         QStringLiteral("画面中有 2 张人脸，只应有这名学生")},
    };
    for (const std::size_t person : {0, 7, 19, 33}) {
        const ShotVerdict asTaken = Check(FrameOf(person, 2));
        ASSERT_TRUE(asTaken.Passed()) << person << asTaken.problems.join('\n').toStdString();
        for (const auto& c : cases) {
            const QStringList problems = Check(c.frame(person)).problems;
            EXPECT_TRUE(std::any_of(problems.begin(), problems.end(),
                                    [&](const QString& problem) { return problem.startsWith(c.problem); }))
                << c.kind << " " << person << ": " << problems.join('\n').toStdString();
        }
    }
    // A student seen from behind, and the wall alone.
    EXPECT_EQ(Check(CameraFrameShowing(QImage(TestDataPath("jpeg/photos/Portrait_6.jpg")), 1000)).problems,
              QStringList{QStringLiteral("没有找到人脸")});
    QImage wall(kCameraFrameSize, QImage::Format_RGB32);
    wall.fill(qRgb(128, 128, 128));
    EXPECT_EQ(Check(wall).problems, QStringList{QStringLiteral("没有找到人脸")});
}

TEST_F(ShotChecks, TheSitePhotoIsDescribedOnceAndWhatCannotBeComparedIsNoted)
{
    const QString sitePhoto = SitePhotoOf(3);
    const QImage other = FrameOf(9, 1);
    ASSERT_TRUE(Check(other, sitePhoto).problems.contains(kNotTheSitePhotosPerson));
    // Described once: the file gone, the student is still compared.
    ASSERT_TRUE(QFile::remove(sitePhoto));
    EXPECT_TRUE(Check(other, sitePhoto).problems.contains(kNotTheSitePhotosPerson));
    EXPECT_TRUE(Check(FrameOf(3, 2), sitePhoto).Passed());

    // A site photo without a face, one that is no picture, and none at all.
    const QString noFace = folder_.filePath("back.jpg");
    ASSERT_TRUE(QFile::copy(TestDataPath("jpeg/photos/Portrait_1.jpg"), noFace));
    const QString noPicture = folder_.filePath("broken.jpg");
    WriteFile(noPicture, "not a picture");
    const ShotVerdict withoutFace = Check(other, noFace);
    EXPECT_TRUE(withoutFace.Passed());
    EXPECT_EQ(withoutFace.notes, QStringList{QStringLiteral("无法核对是否本人：网站上的现有照片中没有找到人脸")});
    const ShotVerdict unreadable = Check(other, noPicture);
    EXPECT_TRUE(unreadable.Passed());
    ASSERT_EQ(unreadable.notes.size(), 1);
    EXPECT_TRUE(unreadable.notes.first().startsWith(QStringLiteral("无法核对是否本人：网站上的现有照片无法读取")));
    EXPECT_TRUE(Check(other).notes.isEmpty());
}

TEST(BackgroundShotChecks, RunOnAThreadOfTheirOwnAndNoteAnExaminerThatCannotBeMade)
{
    const QImage frame = CameraFrameShowing(Labelled(12, 1), 400);
    QThread* madeOn = nullptr;
    {
        BackgroundShotChecks checks([&] {
            madeOn = QThread::currentThread();
            return std::make_unique<ShotExaminer>(FaceDetector::DefaultCascadeFile(),
                                                  FaceDescriber::DefaultModelFile());
        });
        QFuture<ShotVerdict> good = checks.Check(BitmapOf(frame), {});
        QImage wall(kCameraFrameSize, QImage::Format_RGB32);
        wall.fill(Qt::gray);
        QFuture<ShotVerdict> empty = checks.Check(BitmapOf(wall), {});
        EXPECT_TRUE(good.result().Passed()) << good.result().problems.join('\n').toStdString();
        EXPECT_EQ(empty.result().problems, QStringList{QStringLiteral("没有找到人脸")});
        EXPECT_NE(madeOn, nullptr);
        EXPECT_NE(madeOn, QThread::currentThread());
        // Destroyed with a check in hand: it waits for it.
        checks.Check(BitmapOf(frame), {});
    }
    BackgroundShotChecks broken(
        []() -> std::unique_ptr<ShotExaminer> { throw EFaceDetectorUnavailable("人脸检测模型无法载入：x.xml"); });
    const ShotVerdict verdict = broken.Check(BitmapOf(frame), {}).result();
    EXPECT_TRUE(verdict.problems.isEmpty());
    EXPECT_EQ(verdict.notes, QStringList{QStringLiteral("没有检查照片：人脸检测模型无法载入：x.xml")});
}

} // namespace

// A whole photo day through the window with the keys alone, on real
// labelled faces: 30 students, each the site's photo of one person (their
// first labelled photo) and before the camera another photo of the same
// person in a 1920 x 1080 frame. Three are absent, one is taken again, one
// grab shows another person (refused by the likeness check) and one shows
// no face; the window is killed at student 15, with a shot in hand, and the
// day resumed in a new one. At the end every student has a framed photo of
// their own face and the camera's frame beside it (both JPEG, the frame with
// the time it was taken), or an absent mark, and nothing saved before the
// kill was lost.
#include "assignment/input/Roster.h"
#include "faces/FaceDescriber.h"
#include "faces/FaceDetector.h"
#include "faces/LabelledFaces.h"
#include "faces/PortraitExamination.h"
#include "photoday/PhotoDaySession.h"
#include "photoday/ShotExaminer.h"
#include "picture/TBitmap.h"
#include "platform/camera/SyntheticCameraSource.h"
#include "support/CameraFrames.h"
#include "support/QtPrinters.h"
#include "support/RecordingDialogs.h"
#include "support/SavedPhotos.h"
#include "support/TestFiles.h"
#include "windows/photoday/PhotoDay.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

constexpr int kStudents = 30;
const std::set<int> kAbsent{4, 11, 22};
constexpr int kRetaken = 7;
constexpr int kWrongPersonFirst = 9; // another person stands there first
constexpr int kNoFaceFirst = 13;     // the first grab catches the wall alone
constexpr int kKilledAt = 14;        // student 15

QImage Labelled(std::size_t person, std::size_t photo)
{
    return QImage(QString::fromStdString(LabelledPhotoFile(person, photo).string()));
}

// Before the camera: a labelled photo, before a dark wall as it was taken.
QImage CameraShowing(std::size_t person, std::size_t photo)
{
    return CameraFrameShowing(Labelled(person, photo), 500, qRgb(0, 0, 0));
}

QByteArray Hash(const QString& file)
{
    return QCryptographicHash::hash(ReadFile(file), QCryptographicHash::Sha256);
}

class ScriptedPhotoDay : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(programDir.isValid());
        programFolder = programDir.path() + QDir::separator();
        dayFolder = programFolder + "day";
        QByteArray roster;
        for (int i = 0; i < kStudents; ++i) {
            codes << QStringLiteral("2023%1").arg(i + 1, 4, 10, QChar(u'0'));
            roster += codes.last().toUtf8() + "\r\n";
            const QString sitePhoto = programFolder + QStringLiteral("site-%1.jpg").arg(i);
            ASSERT_TRUE(Bordered(Labelled(i, 0), kLabelledBorder).save(sitePhoto, "JPEG", 95));
            site.insert(codes.last(), {QStringLiteral("学生%1").arg(i + 1), sitePhoto});
        }
        WriteFile(programFolder + "roster.txt", roster);
    }

    // A window as the program makes it, the day started (or resumed) in it.
    void OpenWindow()
    {
        window = std::make_unique<TFrmPhotoDay>(dialogs, camera, programFolder);
        window->UseRosterReader(ReadRoster);
        window->UseStudentLookup([this](const QStringList&) { return site; });
        dialogs.fileAnswers.push_back(programFolder + "roster.txt");
        dialogs.folderAnswers.push_back(dayFolder);
        window->StartDay();
        ASSERT_TRUE(window->isVisible()) << dialogs.messages.join('\n').toStdString();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void Key(Qt::Key key) { QTest::keyClick(window.get(), key); }
    qsizetype Position() const { return window->Day()->Position(); }
    // Space, then Enter; `answer` for a question, when one is asked.
    void Take(const QImage& frame, bool answer = false)
    {
        camera.SetFrame(frame);
        Key(Qt::Key_Space);
        dialogs.confirmAnswers.push_back(answer);
        Key(Qt::Key_Return);
        dialogs.confirmAnswers.clear();
    }

    QTemporaryDir programDir;
    QString programFolder;
    QString dayFolder;
    QStringList codes;
    QHash<QString, StudentCard> site;
    RecordingDialogs dialogs;
    SyntheticCameraSource camera;
    std::unique_ptr<TFrmPhotoDay> window;
};

TEST_F(ScriptedPhotoDay, ThirtyStudentsKilledAtFifteenAndResumedEndWithEveryPhotoAndFrame)
{
    OpenWindow();
    QHash<QString, QByteArray> beforeTheKill;
    for (int student = 0; student < kStudents; ++student) {
        ASSERT_EQ(Position(), student);
        if (kAbsent.count(student)) {
            Key(Qt::Key_S);
            continue;
        }
        if (student == kWrongPersonFirst) {
            // Another student before the camera: refused, and nothing saved.
            Take(CameraShowing(35, 1));
            ASSERT_EQ(dialogs.questions.size(), 1);
            EXPECT_EQ(dialogs.questions.takeFirst(),
                      QStringLiteral("照片有问题，仍然保存吗？\n\n不像网站上这名学生现有的照片"));
            ASSERT_EQ(Position(), student);
        }
        if (student == kNoFaceFirst) {
            Take(CameraFrameShowing(QImage(), 500, qRgb(0, 0, 0)));
            ASSERT_EQ(dialogs.questions.size(), 1);
            EXPECT_EQ(dialogs.questions.takeFirst(), QStringLiteral("照片有问题，仍然保存吗？\n\n没有找到人脸"));
            ASSERT_EQ(Position(), student);
        }
        if (student == kKilledAt) {
            // A shot in hand, then the window and the day are gone at once:
            // no close, no clean-up.
            camera.SetFrame(CameraShowing(student, 1));
            Key(Qt::Key_Space);
            for (const QString& code : codes.mid(0, student)) {
                for (const QString& file : {code + ".jpg", QStringLiteral("原图/") + code + ".jpg"}) {
                    if (QFile::exists(dayFolder + "/" + file))
                        beforeTheKill.insert(file, Hash(dayFolder + "/" + file));
                }
            }
            window.reset();
            OpenWindow();
            ASSERT_EQ(Position(), student) << "resumed where it stopped";
        }
        Take(CameraShowing(student, 1));
        ASSERT_TRUE(dialogs.questions.isEmpty()) << student << ": " << dialogs.questions.join('\n').toStdString();
        ASSERT_EQ(Position(), student + 1);
        if (student == kRetaken) {
            // Back for a retake: another photo of the same student replaces both files.
            Key(Qt::Key_Backspace);
            Take(CameraShowing(student, 2));
            ASSERT_EQ(Position(), student + 1);
        }
    }
    EXPECT_TRUE(window->Day()->AtEnd());
    EXPECT_EQ(dialogs.messages.last(),
              QStringLiteral("名单上的学生都已轮到：已拍 27 名，缺席 3 名：20230005、20230012、"
                             "20230023。点击“交给主窗口”设置照片。"));

    // Every student's own face in the framed photo and the whole frame
    // beside it, or absent; nothing else in the folder.
    FaceDetector detector;
    FaceDescriber describer;
    ShotExaminer examiner(FaceDetector::DefaultCascadeFile(), FaceDescriber::DefaultModelFile());
    const QJsonObject progress =
        QJsonDocument::fromJson(ReadFile(dayFolder + "/" + PhotoDaySession::kSessionFileName)).object();
    QStringList photos;
    for (int student = 0; student < kStudents; ++student) {
        const QString& code = codes[student];
        const QString photo = dayFolder + "/" + code + ".jpg";
        const QString original = dayFolder + "/原图/" + code + ".jpg";
        const QString state = progress.value("states").toArray()[student].toString();
        if (kAbsent.count(student)) {
            EXPECT_EQ(state, "absent") << code.toStdString();
            EXPECT_FALSE(QFile::exists(photo) || QFile::exists(original)) << code.toStdString();
            continue;
        }
        photos << code + ".jpg";
        EXPECT_EQ(state, "done") << code.toStdString();
        const QJsonObject record = progress.value("photos").toArray()[student].toObject();
        EXPECT_EQ(record.value("photo").toString(), code + ".jpg");
        EXPECT_EQ(record.value("original").toString(), "原图/" + code + ".jpg");
        EXPECT_TRUE(record.value("problems").toArray().isEmpty()) << code.toStdString();

        // Both JPEG files (decoding throws for any other kind); the frame
        // says when it was taken, as the progress file does.
        const std::unique_ptr<TBitmap> frame = DecodedJpegFile(original);
        const std::unique_ptr<TBitmap> framed = DecodedJpegFile(photo);
        const QDateTime taken = QDateTime::fromString(record.value("taken").toString(), Qt::ISODate);
        ASSERT_TRUE(taken.isValid()) << code.toStdString();
        EXPECT_EQ(CaptureTimeOf(ReadFile(original)), taken.toLocalTime().toString("yyyy:MM:dd HH:mm:ss").toStdString())
            << code.toStdString();
        // The frame is the student's: the likeness check against the site's photo passes.
        ASSERT_EQ(QSize(frame->Width(), frame->Height()), kCameraFrameSize) << code.toStdString();
        EXPECT_TRUE(examiner.Check(*frame, site[code].currentPhoto).Passed()) << code.toStdString();
        // The photo is the student's face, framed: the nearest of the 30 site photos is their own.
        ASSERT_EQ(QSize(framed->Width(), framed->Height()), QSize(120, 180)) << code.toStdString();
        const PortraitExamination look = ExaminePortrait(detector, describer, *framed, {120, 180});
        ASSERT_TRUE(look.descriptor.has_value()) << code.toStdString();
        int nearest = -1;
        double nearestDistance = 1e9;
        for (int other = 0; other < kStudents; ++other) {
            const SiteFace& face = examiner.FaceOfSitePhoto(site[codes[other]].currentPhoto);
            ASSERT_TRUE(face.descriptor.has_value());
            const double distance = DescriptorDistance(*face.descriptor, *look.descriptor);
            if (distance < nearestDistance) {
                nearestDistance = distance;
                nearest = other;
            }
        }
        EXPECT_EQ(nearest, student) << code.toStdString();
    }
    EXPECT_EQ(QDir(dayFolder).entryList({"*.jpg"}, QDir::Files), photos);
    EXPECT_EQ(QDir(dayFolder + "/原图").entryList(QDir::Files), photos);
    // Nothing saved before the kill was lost or changed since.
    EXPECT_EQ(beforeTheKill.size(), 2 * (kKilledAt - 2));
    for (auto kept = beforeTheKill.cbegin(); kept != beforeTheKill.cend(); ++kept)
        EXPECT_EQ(Hash(dayFolder + "/" + kept.key()), kept.value()) << kept.key().toStdString();
}

} // namespace

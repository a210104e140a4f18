// The photo day's progress: roster position, done and absent students, both
// files of every photographed student, and the progress file that lets a
// closed window resume, written only in the day's own folder.
#include "photoday/PhotoDaySession.h"

#include "support/ErrorOf.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

using State = PhotoDaySession::State;

const QDateTime kTaken(QDate(2026, 9, 1), QTime(9, 30, 5));

class PhotoDay : public testing::Test {
protected:
    QString Folder() const { return folder_.filePath("day"); }
    QString Progress() const { return Folder() + "/" + PhotoDaySession::kSessionFileName; }
    // A take of the current student: its photo and frame name the student.
    static void Take(PhotoDaySession& session, const QStringList& problems = {})
    {
        const QByteArray code = session.AtEnd() ? "nobody" : session.Code(session.Position()).toUtf8();
        session.SavePhotos("photo of " + code, "frame of " + code, kTaken, problems);
    }

    QTemporaryDir folder_;
    const QStringList codes_{"001", "002", "003", "004"};
};

TEST_F(PhotoDay, GoesThroughTheRosterRecordingDoneAbsentAndRetakes)
{
    PhotoDaySession session(codes_, Folder());
    EXPECT_FALSE(session.Resumed());
    EXPECT_EQ(session.Position(), 0);
    EXPECT_EQ(session.PhotoPath(0), Folder() + "/001.jpg");
    EXPECT_EQ(session.OriginalPath(0), Folder() + "/原图/001.jpg");

    Take(session);
    session.Absent();
    EXPECT_EQ(session.Position(), 2);
    session.Retake();
    EXPECT_EQ(session.Position(), 1);
    EXPECT_EQ(session.StateOf(1), State::Absent) << "absent until photographed";
    Take(session, {"照片模糊"});
    session.Absent();
    Take(session);
    EXPECT_TRUE(session.AtEnd());
    // Past the end nothing more is recorded; a retake goes back to the last.
    Take(session);
    session.Absent();
    EXPECT_EQ((QList<State>{session.StateOf(0), session.StateOf(1), session.StateOf(2), session.StateOf(3)}),
              (QList<State>{State::Done, State::Done, State::Absent, State::Done}));
    EXPECT_EQ(session.CodesOf(State::Absent), QStringList{"003"});
    EXPECT_EQ(session.CountOf(State::Done), 3);
    EXPECT_EQ(session.CountSavedWithProblems(), 1);
    session.Retake();
    EXPECT_EQ(session.Position(), 3);
    // A photographed student cannot be marked absent: the photo stays theirs.
    EXPECT_EQ(ErrorOf<EPhotoDayError>([&] { session.Absent(); }),
              "004 已经拍过照片，不能再记为缺席；要重拍请直接获取图片");
    EXPECT_EQ(session.StateOf(3), State::Done);

    session.JumpTo(0);
    EXPECT_EQ(session.Position(), 0);
    session.Retake();
    EXPECT_EQ(session.Position(), 0);
}

TEST_F(PhotoDay, EachStudentsPhotoAndFrameAreSavedTogetherAndARetakeReplacesBoth)
{
    PhotoDaySession session(codes_, Folder());
    Take(session);
    session.SavePhotos("second photo", "second frame", kTaken.addSecs(60), {"照片模糊"});
    EXPECT_EQ(ReadFile(Folder() + "/001.jpg"), "photo of 001");
    EXPECT_EQ(ReadFile(Folder() + "/原图/001.jpg"), "frame of 001");
    EXPECT_EQ(ReadFile(Folder() + "/002.jpg"), "second photo");
    EXPECT_EQ(ReadFile(Folder() + "/原图/002.jpg"), "second frame");
    session.JumpTo(0);
    session.SavePhotos("retaken photo", "retaken frame", kTaken.addSecs(120), {});
    EXPECT_EQ(ReadFile(Folder() + "/001.jpg"), "retaken photo");
    EXPECT_EQ(ReadFile(Folder() + "/原图/001.jpg"), "retaken frame");
    EXPECT_EQ(QDir(Folder()).entryList({"*.jpg"}, QDir::Files), (QStringList{"001.jpg", "002.jpg"}))
        << "no file left beside them";
    EXPECT_EQ(QDir(Folder() + "/原图").entryList(QDir::Files), (QStringList{"001.jpg", "002.jpg"}));

    // The progress file records both files, when and with which problems.
    const QJsonArray photos = QJsonDocument::fromJson(ReadFile(Progress())).object().value("photos").toArray();
    ASSERT_EQ(photos.size(), 4);
    EXPECT_EQ(photos[0].toObject().value("photo").toString(), "001.jpg");
    EXPECT_EQ(photos[0].toObject().value("original").toString(), QStringLiteral("原图/001.jpg"));
    EXPECT_EQ(photos[0].toObject().value("taken").toString(), "2026-09-01T09:32:05");
    EXPECT_EQ(photos[1].toObject().value("problems").toArray().first().toString(), QStringLiteral("照片模糊"));
    EXPECT_TRUE(photos[2].isNull());

    // Resumed, the records come back.
    PhotoDaySession resumed(codes_, Folder());
    const auto second = resumed.SavedPhotoOf(1);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->original, QStringLiteral("原图/002.jpg"));
    EXPECT_EQ(second->taken, kTaken.addSecs(60));
    EXPECT_EQ(second->problems, QStringList{QStringLiteral("照片模糊")});
    EXPECT_EQ(resumed.CountSavedWithProblems(), 1);
    EXPECT_FALSE(resumed.SavedPhotoOf(2).has_value());
}

TEST_F(PhotoDay, AClosedSessionResumesWhereItStopped)
{
    {
        PhotoDaySession session(codes_, Folder());
        Take(session);
        session.Absent();
        Take(session);
    }
    ASSERT_TRUE(QFile::exists(Progress()));

    PhotoDaySession resumed(codes_, Folder());
    EXPECT_TRUE(resumed.Resumed());
    EXPECT_EQ(resumed.Position(), 3);
    EXPECT_EQ(resumed.StateOf(0), State::Done);
    EXPECT_EQ(resumed.StateOf(1), State::Absent);
    EXPECT_EQ(resumed.StateOf(3), State::Waiting);

    // A photo deleted since waits again.
    QFile::remove(Folder() + "/003.jpg");
    EXPECT_EQ(PhotoDaySession(codes_, Folder()).StateOf(2), State::Waiting);
}

TEST_F(PhotoDay, AProgressFileThatIsNoFileIsRefusedWithoutWaiting)
{
    // A folder, or a named pipe whose reading would wait for a writer for ever.
    ASSERT_TRUE(QDir().mkpath(Progress()));
    const std::string expected = "无法读取拍照进度文件 "
                                 + QDir::toNativeSeparators(QDir::cleanPath(Progress())).toStdString()
                                 + "（它不是普通文件）";
    EXPECT_EQ(ErrorOf<EPhotoDayError>([&] { PhotoDaySession(codes_, Folder()); }), expected);
#ifndef _WIN32
    ASSERT_TRUE(QDir().rmdir(Progress()));
    ASSERT_EQ(mkfifo(Progress().toLocal8Bit().constData(), 0600), 0);
    EXPECT_EQ(ErrorOf<EPhotoDayError>([&] { PhotoDaySession(codes_, Folder()); }), expected);
#endif
}

#ifndef _WIN32
TEST_F(PhotoDay, LinksPlantedInTheFolderLeadNothingOfTheDayElsewhere)
{
    // Windows users lack the privilege to make links: Linux only.
    ASSERT_TRUE(QDir().mkpath(Folder()));
    const QString elsewhere = folder_.filePath("elsewhere");
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    const std::string refused = "拍照进度文件 " + QDir::toNativeSeparators(Progress()).toStdString()
                                + " 是一个链接，不能用作拍照进度；请删除它或换一个文件夹";

    // A dangling link: following it would make the day's progress outside.
    ASSERT_TRUE(QFile::link(elsewhere + "/made-there.json", Progress()));
    EXPECT_EQ(ErrorOf<EPhotoDayError>([&] { PhotoDaySession(codes_, Folder()); }), refused);
    EXPECT_FALSE(QFileInfo::exists(elsewhere + "/made-there.json"));

    // A link to another day's valid progress: neither resumed nor written through.
    {
        PhotoDaySession other(codes_, elsewhere + "/other-day");
        Take(other);
    }
    const QString otherProgress = elsewhere + "/other-day/" + PhotoDaySession::kSessionFileName;
    const QByteArray otherBefore = ReadFile(otherProgress);
    ASSERT_TRUE(QFile::remove(Progress()));
    ASSERT_TRUE(QFile::link(otherProgress, Progress()));
    EXPECT_EQ(ErrorOf<EPhotoDayError>([&] { PhotoDaySession(codes_, Folder()); }), refused);
    EXPECT_EQ(ReadFile(otherProgress), otherBefore);
    ASSERT_TRUE(QFile::remove(Progress()));

    // Links at a photo's name and at the originals' folder.
    const QString outsidePhoto = elsewhere + "/someone.jpg";
    WriteFile(outsidePhoto, "not the day's");
    ASSERT_TRUE(QFile::link(outsidePhoto, Folder() + "/001.jpg"));
    ASSERT_TRUE(QFile::link(elsewhere, Folder() + "/原图"));
    PhotoDaySession session(codes_, Folder());
    const std::string originalsRefused = ErrorOf<EPhotoDayError>([&] { Take(session); });
    EXPECT_EQ(
        originalsRefused.rfind("无法打开原图文件夹 " + QDir::toNativeSeparators(Folder() + "/原图").toStdString(), 0),
        0u)
        << originalsRefused;
    EXPECT_EQ(session.Position(), 0);
    EXPECT_FALSE(QFileInfo::exists(elsewhere + "/001.jpg"));
    ASSERT_TRUE(QFile::remove(Folder() + "/原图"));
    Take(session);
    // The link at the photo's name is replaced by the photo; what it led to is untouched.
    EXPECT_FALSE(QFileInfo(Folder() + "/001.jpg").isSymLink());
    EXPECT_EQ(ReadFile(Folder() + "/001.jpg"), "photo of 001");
    EXPECT_EQ(ReadFile(outsidePhoto), "not the day's");
    // A link put at the progress file since is replaced, not written through.
    ASSERT_TRUE(QFile::remove(Progress()));
    ASSERT_TRUE(QFile::link(otherProgress, Progress()));
    session.Absent();
    EXPECT_FALSE(QFileInfo(Progress()).isSymLink());
    EXPECT_EQ(ReadFile(otherProgress), otherBefore);
}
#endif

TEST_F(PhotoDay, RefusesWhatWouldMisnameOrOverwrite)
{
    EXPECT_EQ(ErrorOf<EPhotoDayError>([&] { PhotoDaySession({}, Folder()); }), "名单中没有学生");
    EXPECT_EQ(ErrorOf<EPhotoDayError>([&] {
                  PhotoDaySession({"1", "a/b"}, Folder());
              }),
              "名单第 2 行的学籍号“a/b”不能用作图片文件名");
    EXPECT_EQ(ErrorOf<EPhotoDayError>([&] {
                  PhotoDaySession({"1", ""}, Folder());
              }),
              "名单第 2 行的学籍号“”不能用作图片文件名");
    EXPECT_EQ(ErrorOf<EPhotoDayError>([&] {
                  PhotoDaySession({"ab", "x", "AB"}, Folder());
              }),
              "名单第 3 行的学籍号“AB”前面已经出现过");

    // Another roster's progress is left alone.
    PhotoDaySession(codes_, Folder()).Absent();
    const QByteArray kept = ReadFile(Progress());
    EXPECT_NE(ErrorOf<EPhotoDayError>([&] { PhotoDaySession({"001", "002"}, Folder()); }), "no error");
    EXPECT_EQ(ReadFile(Progress()), kept);
    WriteFile(Progress(), "{ not json");
    EXPECT_NE(ErrorOf<EPhotoDayError>([&] { PhotoDaySession(codes_, Folder()); }), "no error");
    EXPECT_EQ(ReadFile(Progress()), "{ not json");
}

} // namespace

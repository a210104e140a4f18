// The photo day's progress: roster position, done and absent students, and
// the progress file that lets a closed window resume.
#include "photoday/PhotoDaySession.h"

#include "support/ErrorOf.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

using State = PhotoDaySession::State;

class PhotoDay : public testing::Test {
protected:
    QString Folder() const { return folder_.filePath("day"); }
    void SavePhoto(const PhotoDaySession& session) { WriteFile(session.PhotoPath(session.Position()), "BM"); }

    QTemporaryDir folder_;
    const QStringList codes_{"001", "002", "003", "004"};
};

TEST_F(PhotoDay, GoesThroughTheRosterRecordingDoneAbsentAndRetakes)
{
    PhotoDaySession session(codes_, Folder());
    EXPECT_FALSE(session.Resumed());
    EXPECT_EQ(session.Position(), 0);
    EXPECT_EQ(session.PhotoPath(0), Folder() + "/001.jpg");

    SavePhoto(session);
    session.PhotoSaved();
    session.Absent();
    EXPECT_EQ(session.Position(), 2);
    session.Retake();
    EXPECT_EQ(session.Position(), 1);
    EXPECT_EQ(session.StateOf(1), State::Absent) << "absent until photographed";
    SavePhoto(session);
    session.PhotoSaved();
    session.Absent();
    SavePhoto(session);
    session.PhotoSaved();
    EXPECT_TRUE(session.AtEnd());
    // Past the end nothing more is recorded; a retake goes back to the last.
    session.PhotoSaved();
    session.Absent();
    EXPECT_EQ((QList<State>{session.StateOf(0), session.StateOf(1), session.StateOf(2), session.StateOf(3)}),
              (QList<State>{State::Done, State::Done, State::Absent, State::Done}));
    EXPECT_EQ(session.AbsentCodes(), QStringList{"003"});
    EXPECT_EQ(session.CountOf(State::Done), 3);
    session.Retake();
    EXPECT_EQ(session.Position(), 3);

    session.JumpTo(0);
    EXPECT_EQ(session.Position(), 0);
    session.Retake();
    EXPECT_EQ(session.Position(), 0);
}

TEST_F(PhotoDay, AClosedSessionResumesWhereItStopped)
{
    {
        PhotoDaySession session(codes_, Folder());
        SavePhoto(session);
        session.PhotoSaved();
        session.Absent();
        SavePhoto(session);
        session.PhotoSaved();
    }
    const QString progress = Folder() + "/" + PhotoDaySession::kSessionFileName;
    ASSERT_TRUE(QFile::exists(progress));

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
    const QString progress = Folder() + "/" + PhotoDaySession::kSessionFileName;
    ASSERT_TRUE(QDir().mkpath(progress));
    const std::string expected =
        "无法读取拍照进度文件 " + QDir::toNativeSeparators(QDir::cleanPath(progress)).toStdString();
    EXPECT_EQ(ErrorOf<EPhotoDayError>([&] { PhotoDaySession(codes_, Folder()); }), expected);
#ifndef _WIN32
    ASSERT_TRUE(QDir().rmdir(progress));
    ASSERT_EQ(mkfifo(progress.toLocal8Bit().constData(), 0600), 0);
    EXPECT_EQ(ErrorOf<EPhotoDayError>([&] { PhotoDaySession(codes_, Folder()); }), expected);
#endif
}

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
    const QString progress = Folder() + "/" + PhotoDaySession::kSessionFileName;
    const QByteArray kept = ReadFile(progress);
    EXPECT_NE(ErrorOf<EPhotoDayError>([&] { PhotoDaySession({"001", "002"}, Folder()); }), "no error");
    EXPECT_EQ(ReadFile(progress), kept);
    WriteFile(progress, "{ not json");
    EXPECT_NE(ErrorOf<EPhotoDayError>([&] { PhotoDaySession(codes_, Folder()); }), "no error");
    EXPECT_EQ(ReadFile(progress), "{ not json");
}

} // namespace

// student-photo-cli assign with its real face review, run as a program on a
// demo-like site whose photos are real people's (the labelled faces of
// tests/data/faces): a class given its new photos shifted by one row is
// named, row by row, and the review gives the same plan on any number of
// threads.
#include "support/RunCli.h"
#include "support/TestFiles.h"
#include "support/TestSite.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

// The labelled photos are cut tight around the face; a portrait has room
// around the head, here black, and the 2:3 shape of a school photo.
QByteArray Portrait(int person, int photo)
{
    const QImage face(TestDataPath(QStringLiteral("faces/orl/s%1_%2.bmp").arg(person).arg(photo)));
    EXPECT_FALSE(face.isNull()) << person << " " << photo;
    QImage portrait(face.width() + 40, (face.width() + 40) * 3 / 2, QImage::Format_RGB32);
    portrait.fill(Qt::black);
    QPainter(&portrait).drawImage((portrait.width() - face.width()) / 2, (portrait.height() - face.height()) / 2, face);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(portrait.save(&buffer, "JPG", 95));
    return jpeg;
}

class AssignFaces : public ::testing::Test {
protected:
    // Five students, each with a photo in the site (the labelled people 1 to
    // 5, their first photo), and new photos of the same five people, taken
    // another day (their fourth photo), in `order`: the person of each row.
    void MakeClass(const QList<int>& order)
    {
        const QStringList codes{"20260101", "20260102", "20260103", "20260104", "20260105"};
        site.AddStudents(codes);
        QByteArray roster;
        for (int i = 0; i < codes.size(); ++i) {
            WriteFile(site.SitePhotoFolder() + codes[i] + ".jpg", Portrait(i + 1, 1));
            site.Execute(QStringLiteral("UPDATE studentbaseinfo SET photo = '/upload/StudentPhoto/%1.jpg' "
                                        "WHERE studentcode = '%1'")
                             .arg(codes[i]));
            site.WriteScratch(QStringLiteral("photos/%1.jpg").arg(i + 1), Portrait(order[i], 4));
            roster += codes[i].toUtf8() + "\n";
        }
        rosterFile = site.WriteScratch("roster.txt", roster);
    }

    CliResult DryRun(const QStringList& more = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("STUDENT_PHOTO_ODBC_DRIVER", site.OdbcDriver());
        environment.insert("HOME", site.Scratch("home"));
        environment.insert("XDG_CONFIG_HOME", site.Scratch("home/.config"));
        environment.insert("STUDENT_PHOTO_DATA", site.Scratch("data"));
        return RunCli(SP_CLI_PATH,
                      QStringList{"assign", "--install-dir", site.Folder(), "--roster", rosterFile, "--photos",
                                  site.Scratch("photos"), "--dry-run"}
                          + more,
                      environment);
    }

    // The dry run's table row of roster line `line`, its cells' blanks made single.
    static QString Row(const CliResult& result, int line) { return result.out.split('\n').value(line).simplified(); }

    TestSite site{Backend::SQLite};
    QString rosterFile;
};

TEST_F(AssignFaces, FiveStudentsShiftedByOneRowAreNamedRowByRow)
{
    // The photo of the first student was left out: each row has the next
    // student's photo, the last row the first student's.
    MakeClass({2, 3, 4, 5, 1});

    const CliResult result = DryRun();

    EXPECT_EQ(result.exitCode, 3) << result.out.toStdString() << result.err.toStdString();
    EXPECT_TRUE(result.out.contains(
        QStringLiteral("第 1–4 行的照片可能整体错位一行（新照片更像下一行学生现有的照片），请逐一核对")))
        << result.out.toStdString();
    for (int line = 1; line <= 4; ++line) {
        SCOPED_TRACE(line);
        EXPECT_TRUE(
            Row(result, line).endsWith(QStringLiteral("可能与学籍号整体错位（新照片更像下一行学生现有的照片）")))
            << Row(result, line).toStdString();
    }
    // The last row shows a student four rows away: no part of the block.
    EXPECT_FALSE(Row(result, 5).contains(QStringLiteral("整体错位"))) << Row(result, 5).toStdString();
    // A real run would need --shift-checked: the dry run says so.
    EXPECT_TRUE(result.err.contains("--shift-checked")) << result.err.toStdString();
}

TEST_F(AssignFaces, TheClassInOrderIsNamedNowhereOnAnyNumberOfThreads)
{
    MakeClass({1, 2, 3, 4, 5});

    const CliResult oneThread = DryRun({"--jobs", "1"});
    const CliResult threeThreads = DryRun({"--jobs", "3"});

    for (const CliResult* result : {&oneThread, &threeThreads}) {
        EXPECT_FALSE(result->out.contains(QStringLiteral("错位"))) << result->out.toStdString();
        EXPECT_FALSE(result->out.contains(QStringLiteral("另一名学生"))) << result->out.toStdString();
        EXPECT_FALSE(result->err.contains("--shift-checked")) << result->err.toStdString();
    }
    EXPECT_EQ(threeThreads.out, oneThread.out);
    EXPECT_EQ(threeThreads.exitCode, oneThread.exitCode);

    for (const QString jobs : {"0", "65", "two"}) {
        const CliResult wrong = DryRun({"--jobs", jobs});
        EXPECT_EQ(wrong.exitCode, 2) << jobs.toStdString();
        EXPECT_TRUE(wrong.err.contains(QStringLiteral("--jobs %1 is not a number of threads from 1 to 64").arg(jobs)))
            << wrong.err.toStdString();
    }
}

} // namespace

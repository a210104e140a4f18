// student-photo-cli assign, run as a program against an SQLite site.
#include "TestSite.h"

#include "main_window/AssignmentRun.h"
#include "support/QtPrinters.h"
#include "support/RunCli.h"
#include "support/TestFiles.h"

#include <QDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace AssignmentMessages;

namespace {

class AssignCommand : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(photoFolder) && QDir().mkpath(site.Scratch("home"))); }

    CliResult Run(const QStringList& arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("STUDENT_PHOTO_ODBC_DRIVER", site.OdbcDriver());
        // Where a remembered installation folder would go: it must stay empty.
        environment.insert("HOME", site.Scratch("home"));
        environment.insert("XDG_CONFIG_HOME", site.Scratch("home/.config"));
        return RunCli(SP_CLI_PATH, QStringList{"assign"} + arguments, environment);
    }

    QString Roster(const QByteArray& bytes) { return site.WriteScratch("roster.txt", bytes); }

    TestSite site{Backend::SQLite};
    QString photoFolder = site.Scratch("photos");
};

TEST_F(AssignCommand, AssignsAFolderOfPhotosInListingOrder)
{
    site.AddStudents({"001", "002", "003"});
    site.ScratchPhoto("10.jpg");
    site.ScratchPhoto("2.bmp", "bmpsuite/g/rgb24.bmp");
    site.ScratchPhoto("1.JPG");
    site.ScratchPhoto("notes.txt");
    // Not read, nor waited on.
    ASSERT_EQ(::mkfifo(QFile::encodeName(photoFolder + "/5.jpg").constData(), 0600), 0);

    const CliResult result = Run({"--install-dir", site.Folder(), "--roster", Roster("001\n002\n003\n"), "--photos",
                               photoFolder});

    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, kDone + "\n");
    EXPECT_TRUE(result.err.isEmpty()) << "no progress bar off a terminal: " << result.err.toStdString();
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "001.jpg"), ReadFile(photoFolder + "/1.JPG"));
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "002.jpg"), ReadFile(photoFolder + "/2.bmp"));
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "003.jpg"), ReadFile(photoFolder + "/10.jpg"));
    EXPECT_EQ(site.Photos().value("003"), QStringLiteral("/upload/StudentPhoto/003.jpg"));
    EXPECT_TRUE(QDir(site.Scratch("home")).isEmpty());
}

TEST_F(AssignCommand, AssignsAListOfPhotosInTheOrderGivenWithoutATrailingSeparator)
{
    site.AddStudents({"a", "b", "c"});
    const QString first = site.ScratchPhoto("10.jpg");
    const QString second = site.ScratchPhoto("2.jpg", "bmpsuite/g/rgb24.bmp");
    const QString third = site.ScratchPhoto("1.jpg", "jpeg/photos/hopper_orientation_6.jpg");
    QString installDir = site.Folder();
    installDir.chop(1);

    const CliResult result
        = Run({"--install-dir", installDir, "--roster", Roster("a\r\nb\r\nc"), "--photo-list", first, second, third});

    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "a.jpg"), ReadFile(first));
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "b.jpg"), ReadFile(second));
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "c.jpg"), ReadFile(third));
}

TEST_F(AssignCommand, FailedRunsExitWithOneAndSayWhy)
{
    site.AddStudents({"001"});
    site.ScratchPhoto("1.jpg");
    const QString roster = Roster("001\n");

    QFile::remove(site.Folder() + "Web.config");
    CliResult result = Run({"--install-dir", site.Folder(), "--roster", roster, "--photos", photoFolder});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, kFailed + "\n");
    EXPECT_TRUE(result.err.contains("Web.config")) << result.err.toStdString();

    site.WriteWebConfig(site.DefaultWebConfig());
    result = Run({"--install-dir", site.Folder(), "--roster", Roster("001\n002\n"), "--photos", photoFolder});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, kCountsDiffer + "\n");

    result = Run({"--install-dir", site.Folder(), "--roster", site.Scratch("absent.txt"), "--photos", photoFolder});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, QStringLiteral("读入数据失败，请确定数据格式是否正确！ \n"));

    const QString pipe = site.Scratch("pipe.jpg");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    result = Run({"--install-dir", site.Folder(), "--roster", roster, "--photo-list", pipe});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, pipe + QStringLiteral(" 不是普通文件（可能是文件夹、命名管道或设备），不予读取\n"));
    EXPECT_EQ(site.Photos().value("001"), QString());
}

TEST_F(AssignCommand, WrongUsageExitsWithTwo)
{
    site.ScratchPhoto("1.jpg");
    const QString roster = Roster("001\n");
    site.WriteScratch("elsewhere/2.jpg", "x");
    const QList<QStringList> wrong = {
        {},
        {"--roster", roster, "--photos", photoFolder},
        {"--install-dir", site.Folder(), "--photos", photoFolder},
        {"--install-dir", site.Folder(), "--roster", roster},
        {"--install-dir", site.Folder(), "--roster", roster, "--photos", photoFolder, "--photo-list",
         photoFolder + "/1.jpg"},
        {"--install-dir", site.Folder(), "--roster", roster, "--photos"},
        {"--install-dir", site.Folder(), "--roster", roster, "--photos", site.Scratch("absent")},
        {"--install-dir", site.Folder(), "--roster", roster, "--photo-list", photoFolder + "/1.jpg",
         site.Scratch("elsewhere/2.jpg")},
        {"--install-dir", site.Folder(), "--roster", roster, "--photos", photoFolder, "--verbose"},
    };
    for (const QStringList& arguments : wrong) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const CliResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(result.out.isEmpty());
        EXPECT_TRUE(result.err.contains("usage: student-photo-cli assign")) << result.err.toStdString();
    }
    EXPECT_TRUE(QDir(site.SitePhotoFolder()).isEmpty());
}

} // namespace

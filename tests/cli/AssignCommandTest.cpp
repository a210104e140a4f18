// student-photo-cli assign, runs and undo, run as a program against an SQLite site.
#include "assignment/run/AssignmentRun.h"
#include "support/MessageTexts.h"
#include "support/QtPrinters.h"
#include "support/RunCli.h"
#include "support/TestFiles.h"
#include "support/TestSite.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

using namespace MessageTexts;

namespace {

class AssignCommand : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(photoFolder) && QDir().mkpath(site.Scratch("home"))); }

    CliResult Run(const QStringList& arguments, const QString& command = "assign")
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("STUDENT_PHOTO_ODBC_DRIVER", site.OdbcDriver());
        // Where a remembered installation folder would go: it must stay empty.
        environment.insert("HOME", site.Scratch("home"));
        environment.insert("XDG_CONFIG_HOME", site.Scratch("home/.config"));
        environment.insert("STUDENT_PHOTO_DATA", site.Scratch("data"));
        return RunCli(SP_CLI_PATH, QStringList{command} + arguments, environment);
    }

    QString Roster(const QByteArray& bytes) { return site.WriteScratch("roster.txt", bytes); }

#ifndef _WIN32
    // As Run, but as a user whom a folder's permission bits bind: root is
    // run without its power to pass them.
    CliResult RunBoundByPermissions(const QStringList& arguments)
    {
        if (::geteuid() != 0)
            return Run(arguments);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("STUDENT_PHOTO_ODBC_DRIVER", site.OdbcDriver());
        environment.insert("HOME", site.Scratch("home"));
        environment.insert("XDG_CONFIG_HOME", site.Scratch("home/.config"));
        environment.insert("STUDENT_PHOTO_DATA", site.Scratch("data"));
        return RunCli("setpriv",
                      QStringList{"--bounding-set", "-dac_override,-dac_read_search", "--", SP_CLI_PATH, "assign"}
                          + arguments,
                      environment);
    }
#endif

    TestSite site{Backend::SQLite};
    QString photoFolder = site.Scratch("photos");
};

TEST_F(AssignCommand, AssignsAFolderOfPhotosInListingOrderOrAListInTheOrderGiven)
{
    site.AddStudents({"001", "002", "003"});
    const QString ten = site.ScratchPhoto("10.jpg");
    const QString two = site.ScratchPhoto("2.bmp", "bmpsuite/g/rgb24.bmp");
    const QString one = site.ScratchPhoto("1.JPG", "jpeg/photos/hopper_orientation_6.jpg");
    site.ScratchPhoto("notes.txt");
#ifndef _WIN32 // no named pipes on Windows
    // Not read, nor waited on.
    ASSERT_EQ(::mkfifo(QFile::encodeName(photoFolder + "/5.jpg").constData(), 0600), 0);
#endif
    const QString roster = Roster("001\r\n002\r\n003");

    const CliResult result = Run({"--install-dir", site.Folder(), "--roster", roster, "--photos", photoFolder});

    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, kDone + "\n");
    EXPECT_TRUE(result.err.isEmpty()) << "no progress bar off a terminal: " << result.err.toStdString();
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "001.jpg"), ReadFile(one));
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "002.jpg"), ReadFile(two));
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "003.jpg"), ReadFile(ten));
    EXPECT_EQ(site.Photos().value("003"), QStringLiteral("/upload/StudentPhoto/003.jpg"));
    EXPECT_TRUE(QDir(site.Scratch("home")).isEmpty());

    // A list keeps the order given; the folder may lack its trailing separator.
    QString installDir = site.Folder();
    installDir.chop(1);
    const CliResult listed = Run({"--install-dir", installDir, "--roster", roster, "--photo-list", ten, two, one});
    EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "001.jpg"), ReadFile(ten));
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "003.jpg"), ReadFile(one));
}

TEST_F(AssignCommand, PairsByFileNameOrByIndexWhateverTheOrder)
{
    site.AddStudents({"001", "002", "003"});
    const QString one = site.ScratchPhoto("001.JPG", "jpeg/photos/hopper_orientation_6.jpg");
    const QString two = site.ScratchPhoto("002.bmp", "bmpsuite/g/rgb24.bmp");
    const QString three = site.ScratchPhoto("003.jpg");
    site.ScratchPhoto("999.jpg");
    const QString roster = Roster("003\n001\n002\n004\n");

    // By name: a photo without a code and a code without a photo are
    // warnings of the plan, shown by --dry-run.
    const auto before = site.State();
    const CliResult dry = Run(
        {"--install-dir", site.Folder(), "--roster", roster, "--photos", photoFolder, "--pair", "name", "--dry-run"});
    EXPECT_EQ(dry.exitCode, 3) << dry.err.toStdString();
    EXPECT_TRUE(dry.out.contains(QStringLiteral("1 个学籍号没有照片，不会设置：“004”（第 4 行）")))
        << dry.out.toStdString();
    EXPECT_TRUE(dry.out.contains(QStringLiteral("1 张照片的文件名不是名单中的学籍号，不会使用：“999.jpg”")));
    EXPECT_TRUE(dry.out.split('\n').value(1).simplified().startsWith(QStringLiteral("1 003 学生003 003.jpg")))
        << dry.out.toStdString();
    EXPECT_EQ(site.State(), before);

    const CliResult byName =
        Run({"--install-dir", site.Folder(), "--roster", roster, "--photos", photoFolder, "--pair", "name"});
    EXPECT_EQ(byName.exitCode, 0) << byName.out.toStdString() << byName.err.toStdString();
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "001.jpg"), ReadFile(one));
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "002.jpg"), ReadFile(two));
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "003.jpg"), ReadFile(three));
    EXPECT_FALSE(QFileInfo::exists(site.SitePhotoFolder() + "004.jpg"));

    // By an index with swapped, tab-separated columns: every student takes
    // the photo the index names, here the other way round.
    const QString index =
        site.WriteScratch("photos/index.txt", "照片\t学籍号\r\n003.jpg\t001\r\n001.JPG\t003\r\n002.bmp\t002\r\n");
    const CliResult byIndex = Run(
        {"--install-dir", site.Folder(), "--roster", Roster("001\n002\n003\n"), "--pair", "index", index, "--no-undo"});
    EXPECT_EQ(byIndex.exitCode, 0) << byIndex.out.toStdString() << byIndex.err.toStdString();
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "001.jpg"), ReadFile(three));
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "003.jpg"), ReadFile(one));
    EXPECT_EQ(site.Photos().value("003"), QStringLiteral("/upload/StudentPhoto/003.jpg"));

    // Two photos for one code: refused, nothing touched.
    site.ScratchPhoto("002.jpg");
    const auto beforeRefusal = site.State();
    const CliResult twice =
        Run({"--install-dir", site.Folder(), "--roster", roster, "--photos", photoFolder, "--pair", "name"});
    EXPECT_EQ(twice.exitCode, 1);
    // (The roster file now holds the index run's roster.)
    EXPECT_TRUE(twice.out.contains(QStringLiteral("第 2 行的学籍号“002”：“002.bmp”、“002.jpg”")))
        << twice.out.toStdString();
    EXPECT_EQ(site.State(), beforeRefusal);
}

TEST_F(AssignCommand, FailedRunsExitWithOneAndSayWhy)
{
    site.AddStudents({"001"});
    site.ScratchPhoto("1.jpg");
    const QString roster = Roster("001\n");

    QFile::remove(site.Folder() + "Web.config");
    CliResult result = Run({"--install-dir", site.Folder(), "--roster", roster, "--photos", photoFolder});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.startsWith(kFailed + "\n\n出错原因：找不到配置文件")) << result.out.toStdString();
    EXPECT_TRUE(result.out.contains("Web.config")) << result.out.toStdString();

    site.WriteWebConfig(site.DefaultWebConfig());
    result = Run({"--install-dir", site.Folder(), "--roster", Roster("001\n002\n"), "--photos", photoFolder});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, kCountsDiffer + "\n学生 2 名，图片 1 张\n");

    result = Run({"--install-dir", site.Folder(), "--roster", site.Scratch("absent.txt"), "--photos", photoFolder});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, QStringLiteral("读入数据失败，请确定数据格式是否正确！ \n"));

    // An index that cannot be read is named with its line at fault.
    const QString index = site.WriteScratch("photos/index.txt", "001 1.jpg\n");
    result = Run({"--install-dir", site.Folder(), "--roster", roster, "--pair", "index", index});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.startsWith(QStringLiteral("读入对照表失败：对照表第 1 行没有分隔符")))
        << result.out.toStdString();

#ifndef _WIN32 // no named pipes on Windows
    const QString pipe = site.Scratch("pipe.jpg");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    result = Run({"--install-dir", site.Folder(), "--roster", roster, "--photo-list", pipe});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, pipe + QStringLiteral(" 不是普通文件（可能是文件夹、命名管道或设备），不予读取\n"));
    EXPECT_EQ(site.Photos().value("001"), QString());
#endif
}

TEST_F(AssignCommand, AnUndoRecordThatCannotBeWrittenStopsTheRunUnlessNoUndoIsGiven)
{
    site.AddStudents({"001"});
    site.ScratchPhoto("1.jpg");
    const QStringList arguments{"--install-dir", site.Folder(), "--roster", Roster("001\n"), "--photos", photoFolder};
    // A file where the data folder should be: no journal can be made there.
    site.WriteScratch("data", "x");

    CliResult result = Run(arguments);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.startsWith(kFailed + "\n\n出错原因：无法建立撤销记录（")) << result.out.toStdString();
    EXPECT_TRUE(result.err.contains("--no-undo")) << result.err.toStdString();
    EXPECT_EQ(site.Photos().value("001"), QString());
    EXPECT_FALSE(QFile::exists(site.SitePhotoFolder() + "001.jpg"));

    result = Run(arguments + QStringList{"--no-undo"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, kDone + "\n");
    EXPECT_EQ(site.Photos().value("001"), QStringLiteral("/upload/StudentPhoto/001.jpg"));
}

TEST_F(AssignCommand, WrongUsageExitsWithTwo)
{
    site.ScratchPhoto("1.jpg");
    const QString roster = Roster("001\n");
    site.WriteScratch("elsewhere/2.jpg", "x");
    // The option rules all commands share (values, repeats, unknown options)
    // are tried on the resize command.
    const QList<QStringList> wrong = {
        {},
        {"--roster", roster, "--photos", photoFolder},
        {"--install-dir", site.Folder(), "--photos", photoFolder},
        {"--install-dir", site.Folder(), "--roster", roster},
        {"--install-dir", site.Folder(), "--roster", roster, "--photos", photoFolder, "--photo-list",
         photoFolder + "/1.jpg"},
        {"--install-dir", site.Folder(), "--roster", roster, "--photos", site.Scratch("absent")},
        {"--install-dir", site.Folder(), "--roster", roster, "--photo-list", photoFolder + "/1.jpg",
         site.Scratch("elsewhere/2.jpg")},
        {"--install-dir", site.Folder(), "--roster", roster, "--photos", photoFolder, "--proof-sheet"},
        {"--install-dir", site.Folder(), "--roster", roster, "--photos", photoFolder, "--pair", "size"},
        {"--install-dir", site.Folder(), "--roster", roster, "--photos", photoFolder, "--pair", "name", roster},
        {"--install-dir", site.Folder(), "--roster", roster, "--pair", "index"},
        {"--install-dir", site.Folder(), "--roster", roster, "--pair", "name"},
        {"--install-dir", site.Folder(), "--roster", roster, "--photos", photoFolder, "--pair", "index", roster},
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

TEST_F(AssignCommand, ExitCodeAndOutputsSayWhetherEveryStudentWasSet)
{
    site.AddStudents({"001", "002", "004"});
    site.ScratchPhoto("1.jpg");
    site.ScratchPhoto("2.jpg");
    site.ScratchPhoto("3.jpg");
    site.WriteScratch("photos/4.jpg", "not a picture, never installed");

    const CliResult result =
        Run({"--install-dir", site.Folder(), "--roster", Roster("001\n002\n003\n004\n"), "--photos", photoFolder});

    EXPECT_EQ(result.exitCode, 3) << result.err.toStdString();
    EXPECT_EQ(result.out, "2 名学生没有设置照片。其余 2 名学生的照片已设置，请重新启动IIS。"
                          "\n\n图片未能复制，数据库中的记录未改动（1 名）：004"
                          "\n数据库中没有这些学籍号的学生，图片已复制但没有记录被更新（1 名）：003\n");
    EXPECT_EQ(result.err, QStringLiteral("图片未能复制：\n第 4 行 004：图片 4.jpg 无法读取（不是 JPEG 或 BMP 图片）\n\n"
                                         "数据库中没有对应的学生：\n第 3 行 003\n"));
    EXPECT_EQ(site.Photos().value("002"), QStringLiteral("/upload/StudentPhoto/002.jpg"));
    EXPECT_FALSE(QFile::exists(site.SitePhotoFolder() + "004.jpg"));
}

TEST_F(AssignCommand, DryRunPrintsThePlanAndTheProofSheetShowsEveryStudentWithoutTouchingTheSite)
{
    site.AddStudents({"001", "002"});
    WriteFile(site.SitePhotoFolder() + "002.jpg", ReadFile(TestDataPath("jpeg/photos/hopper.jpg")));
    site.ScratchPhoto("1.jpg", "jpeg/photos/obama_backstage_the_white_house.jpg");
    site.ScratchPhoto("2.jpg");
    site.WriteScratch("photos/3.jpg", "not a picture");
    const QString roster = Roster("001\n002\n003\n");
    const QString sheet = site.Scratch("核对表.html");
    const auto before = site.State();

    const CliResult result = Run({"--install-dir", site.Folder(), "--roster", roster, "--photos", photoFolder,
                                  "--dry-run", "--proof-sheet", sheet});

    EXPECT_EQ(result.exitCode, 3) << result.err.toStdString();
    const QStringList lines = result.out.split('\n');
    EXPECT_EQ(lines.value(0).simplified(),
              QStringLiteral("行号 学籍号 姓名 新照片 类型 尺寸 学生 现有照片 目标文件 提示"));
    EXPECT_EQ(lines.value(1).simplified(), QStringLiteral("1 001 学生001 1.jpg JPEG 768×1152 有 （空） 新建"));
    EXPECT_EQ(
        lines.value(3).simplified(),
        QStringLiteral("3 003 3.jpg 无法读取 - 无 - 新建 数据库中没有这名学生；图片无法读取（不是 JPEG 或 BMP 图片）"));
    EXPECT_TRUE(result.out.contains(QStringLiteral("（试运行，没有改动任何文件和记录）")));
    EXPECT_EQ(site.State(), before);

    // One picture for each readable photo and for the present one; every code.
    const QString html = QString::fromUtf8(ReadFile(sheet));
    EXPECT_EQ(html.count(QStringLiteral("<img src=\"data:image/jpeg;base64,")), 3);
    for (const QString code : {"001", "002", "003"})
        EXPECT_TRUE(html.contains(QStringLiteral("<td>%1</td>").arg(code))) << code.toStdString();
    EXPECT_LT(html.indexOf(QStringLiteral("<td>002</td>")), html.indexOf(QStringLiteral("<td>001</td>")));

    // A plan without warnings: exit 0.
    const CliResult clean = Run({"--install-dir", site.Folder(), "--roster", Roster("001\n"), "--photo-list",
                                 photoFolder + "/1.jpg", "--dry-run"});
    EXPECT_EQ(clean.exitCode, 0) << clean.out.toStdString();

    // A student photographed again: replacing the photo is a notice, which
    // leaves the plan clean.
    WriteFile(site.SitePhotoFolder() + "001.jpg", ReadFile(TestDataPath("jpeg/photos/hopper.jpg")));
    const CliResult again = Run({"--install-dir", site.Folder(), "--roster", Roster("001\n"), "--photo-list",
                                 photoFolder + "/1.jpg", "--dry-run"});
    EXPECT_EQ(again.exitCode, 0) << again.out.toStdString();
    EXPECT_TRUE(again.out.contains(QStringLiteral("已有照片，将被替换（可撤销）"))) << again.out.toStdString();
}

TEST_F(AssignCommand, RunsListsTheJournaledRunsAndUndoPutsTheSiteBack)
{
    site.AddStudents({"001", "002"});
    WriteFile(site.SitePhotoFolder() + "001.jpg", "001 before");
    site.ScratchPhoto("1.jpg");
    site.ScratchPhoto("2.jpg");
    const QStringList site_{"--install-dir", site.Folder()};
    EXPECT_EQ(Run(site_, "runs").out, QStringLiteral("这个网站没有设置记录。\n"));
    const auto before = site.State();
    ASSERT_EQ(Run(site_ + QStringList{"--roster", Roster("001\n002\n"), "--photos", photoFolder}).exitCode, 0);

    const CliResult runs = Run(site_, "runs");
    EXPECT_EQ(runs.exitCode, 0);
    const QStringList listed = runs.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(listed.size(), 2) << runs.out.toStdString();
    const QString id = listed[1].section(' ', 0, 0);
    EXPECT_TRUE(listed[1].simplified().contains(QStringLiteral(" 2 完整 (local) / "))) << listed[1].toStdString();

    const CliResult undo = Run(site_ + QStringList{"--run", id}, "undo");
    EXPECT_EQ(undo.exitCode, 0) << undo.out.toStdString();
    EXPECT_TRUE(undo.out.endsWith(QStringLiteral("的设置：2 名学生恢复了原来的照片和记录。\n")))
        << undo.out.toStdString();
    EXPECT_EQ(site.State(), before);
    EXPECT_TRUE(Run(site_, "runs").out.contains(QStringLiteral("已撤销")));

    EXPECT_EQ(Run(site_, "undo").out, QStringLiteral("这个网站没有可以撤销的设置。\n"));
    EXPECT_EQ(Run(site_ + QStringList{"--run", "20000101-000000"}, "undo").exitCode, 1);
    EXPECT_EQ(Run({"--force"}, "undo").exitCode, 2);
    EXPECT_EQ(Run(site_ + QStringList{"--force"}, "runs").exitCode, 2);
}

// A photo folder the run cannot write to is told on the plan, and the run's
// message gives the cause, not only its details.
TEST_F(AssignCommand, AReadOnlyPhotoFolderIsToldInThePlanAndItsCauseInTheRunsMessage)
{
#ifdef _WIN32
    GTEST_SKIP() << "the folder is made read-only by POSIX permission bits";
#else
    site.AddStudents({"001"});
    site.ScratchPhoto("1.jpg", "jpeg/photos/obama_backstage_the_white_house.jpg");
    const QStringList arguments{"--install-dir", site.Folder(), "--roster", Roster("001\n"), "--photos", photoFolder};
    const QByteArray photoFolderPath = QFile::encodeName(site.SitePhotoFolder());
    ASSERT_EQ(::chmod(photoFolderPath.constData(), 0555), 0);
    const auto before = site.State();

    const CliResult dry = RunBoundByPermissions(arguments + QStringList{"--dry-run"});
    const CliResult run = RunBoundByPermissions(arguments);
    ::chmod(photoFolderPath.constData(), 0755);

    EXPECT_EQ(dry.exitCode, 3) << dry.out.toStdString() << dry.err.toStdString();
    EXPECT_TRUE(dry.out.contains(QStringLiteral("网站的照片文件夹 %1 无法写入：没有权限").arg(site.SitePhotoFolder())))
        << dry.out.toStdString();
    EXPECT_EQ(run.exitCode, 3) << run.out.toStdString() << run.err.toStdString();
    // The message is on standard output, the details on standard error.
    EXPECT_TRUE(run.out.contains(QStringLiteral("图片未能复制，数据库中的记录未改动（1 名）：001（原因：没有权限")))
        << run.out.toStdString();
    EXPECT_EQ(site.State(), before);
#endif
}

// Every command answers --help (also among other options, right or wrong)
// with its usage on standard output and exit 0.
TEST_F(AssignCommand, EveryCommandPrintsItsUsageOnHelp)
{
    for (const QString command : {"assign", "runs", "undo", "resize"}) {
        for (const QStringList& arguments :
             {QStringList{"--help"}, QStringList{"-h"}, QStringList{"--install-dir", site.Folder(), "--help"},
              QStringList{"--no-such-option", "--help"}}) {
            SCOPED_TRACE((command + ' ' + arguments.join(' ')).toStdString());
            const CliResult result = Run(arguments, command);
            EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
            EXPECT_TRUE(result.out.startsWith(QStringLiteral("usage: student-photo-cli %1").arg(command)))
                << result.out.toStdString();
            EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
        }
    }
    // Without it, a wrong option is still wrong.
    EXPECT_EQ(Run({"--no-such-option"}).exitCode, 2);
}

} // namespace

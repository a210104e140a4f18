// student-photo-cli export as users run it, on an SQLite test site with real
// photos of people.
#include "support/QtPrinters.h"
#include "support/RunCli.h"
#include "support/TestFiles.h"
#include "support/TestSite.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class ExportCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        site.Execute("alter table studentbaseinfo add column sfzh varchar(20)");
        site.Execute("alter table studentbaseinfo add column nj varchar(20)");
        site.Execute("alter table studentbaseinfo add column bj varchar(20)");
        site.Execute("insert into studentbaseinfo values "
                     "('001', '张伟', '/upload/StudentPhoto/001.jpg', '110101200801011234', '初一', '1班'), "
                     "('002', '李娜', '/upload/StudentPhoto/002.jpg', '110101200801015678', '初一', '1班'), "
                     "('003', '王芳', '/upload/StudentPhoto/003.jpg', null, '初一', '2班')");
        WriteFile(site.SitePhotoFolder() + "001.jpg", ReadFile(TestDataPath("jpeg/photos/obama.jpg")));
        // A real face, too small for the register.
        WriteFile(site.SitePhotoFolder() + "002.jpg", ReadFile(TestDataPath("jpeg/photos/hopper.jpg")));
        WriteFile(site.SitePhotoFolder() + "003.jpg", ReadFile(TestDataPath("jpeg/photos/biden.jpg")));
    }

    CliResult Run(const QStringList& arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("STUDENT_PHOTO_ODBC_DRIVER", site.OdbcDriver());
        // The settings (SchoolCode and the columns) of the test's own.
        environment.insert("STUDENT_PHOTO_SETTINGS", site.Scratch("settings.ini"));
        return RunCli(SP_CLI_PATH, QStringList{"export"} + arguments, environment);
    }

    TestSite site{Backend::SQLite};
    QString out = site.Scratch("register");
};

TEST_F(ExportCommand, HelpAndUsage)
{
    const CliResult help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("usage: student-photo-cli export --install-dir DIR --out DIR"))
        << help.out.toStdString();

    struct Row {
        QStringList arguments;
        const char* problem;
    };
    const Row rows[] = {
        {{"--install-dir", site.Folder()}, "--out is required"},
        {{"--out", out}, "--install-dir is required"},
        {{"--install-dir", site.Scratch("absent"), "--out", out}, "does not exist"},
        {{"--install-dir", site.Folder(), "--out", out, "--flat"}, "unknown argument --flat"},
    };
    for (const Row& row : rows) {
        const CliResult result = Run(row.arguments);
        EXPECT_EQ(result.exitCode, 2) << row.problem;
        EXPECT_TRUE(result.err.contains(row.problem)) << result.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out)) << row.problem;
    }
}

TEST_F(ExportCommand, ExportsListsWhatWasNotAndNeverWritesOverAnExport)
{
    const CliResult first = Run({"--install-dir", site.Folder(), "--out", out, "--school-code", "4401234567"});
    EXPECT_EQ(first.exitCode, 3) << first.err.toStdString(); // not every student exported
    EXPECT_TRUE(first.out.contains("共 3 名学生：已导出 2 张照片，1 个班级压缩包。")) << first.out.toStdString();
    EXPECT_TRUE(first.out.contains("李娜（学籍号 002）：原图太小")) << first.out.toStdString();
    EXPECT_TRUE(QFileInfo(out + "/初一/1班/110101200801011234.jpg").isFile());
    EXPECT_TRUE(QFileInfo(out + "/初一/1班.zip").isFile());
    EXPECT_TRUE(QFileInfo(out + "/无身份证号/4401234567_2班_王芳.jpg").isFile());
    EXPECT_TRUE(QFileInfo(out + "/导出清单.csv").isFile());

    const QByteArray list = ReadFile(out + "/导出清单.csv");
    const CliResult again = Run({"--install-dir", site.Folder(), "--out", out});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains("已经有文件")) << again.err.toStdString();
    EXPECT_EQ(ReadFile(out + "/导出清单.csv"), list);
}

// With a roster the photo day's folder is the roster's: its originals
// (原图/CODE.jpg) come before the site's photos. The school code comes from
// the setting when the command line gives none.
TEST_F(ExportCommand, RosterFolderGivesThePhotoDaysOriginals)
{
    site.WriteScratch("day/原图/002.jpg", ReadFile(TestDataPath("jpeg/photos/obama2.jpg")));
    const QString roster = site.WriteScratch("day/roster.txt", "002\r\n003\r\n");
    site.WriteScratch("settings.ini", "[General]\nSchoolCode=9999\n");
    const CliResult result = Run({"--install-dir", site.Folder(), "--out", out, "--roster", roster});
    EXPECT_EQ(result.exitCode, 0) << result.out.toStdString() << result.err.toStdString();
    EXPECT_TRUE(QFileInfo(out + "/初一/1班/110101200801015678.jpg").isFile());
    EXPECT_TRUE(QFileInfo(out + "/无身份证号/9999_2班_王芳.jpg").isFile());
    EXPECT_FALSE(QFileInfo::exists(out + "/初一/1班/110101200801011234.jpg"));
    EXPECT_TRUE(ReadFile(out + "/导出清单.csv").contains("拍照原图"));
}

} // namespace

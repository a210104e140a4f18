// The main window's "导出学籍照片": the folder asked for, the export of the
// site's students, its summary shown, and an earlier export never written
// over; against an SQLite site, the dialogs answered by the test.
#include "assignment/plan/RunMessages.h"
#include "export/RegisterExport.h"
#include "platform/settings/InstallationFolderStore.h"
#include "support/QtPrinters.h"
#include "support/RecordingDialogs.h"
#include "support/TestFiles.h"
#include "support/TestSite.h"
#include "windows/main/Form1.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class MainWindowExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.UseOdbcDriver(site.OdbcDriver());
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        site.Execute(QStringLiteral("alter table studentbaseinfo add column sfzh varchar(20)"));
        site.Execute(QStringLiteral("alter table studentbaseinfo add column bj varchar(20)"));
        site.Execute(QStringLiteral("insert into studentbaseinfo (studentcode, name, photo, sfzh, bj) values "
                                    "('001', '张伟', '/upload/StudentPhoto/001.jpg', '110101200801011234', '1班'), "
                                    "('002', '李娜', '/upload/StudentPhoto/002.jpg', '110101200801015678', '1班')"));
        // A real portrait, and a real face too small for the register.
        WriteFile(site.SitePhotoFolder() + "001.jpg", ReadFile(TestDataPath("jpeg/photos/obama.jpg")));
        WriteFile(site.SitePhotoFolder() + "002.jpg", ReadFile(TestDataPath("jpeg/photos/hopper.jpg")));
    }

    void ClickExport() { QTest::mouseClick(Controls(form).exportButton, Qt::LeftButton); }

    TestSite site{Backend::SQLite};
    QTemporaryDir settingsFolder;
    InstallationFolderStore store = InstallationFolderStore::AtFile(settingsFolder.filePath("Mirelund.conf"));
    RecordingDialogs dialogs;
    TForm1 form{dialogs, store};
};

TEST_F(MainWindowExport, AsksForTheFolderExportsAndShowsTheSummary)
{
    Controls(form).Edit1->setText(site.Folder());
    const QString out = site.Scratch("register");
    dialogs.folderAnswers.push_back(out + u'/');
    ClickExport();

    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(QStringLiteral("共 2 名学生：已导出 1 张照片，1 个班级压缩包。")))
        << dialogs.messages[0].toStdString();
    EXPECT_TRUE(dialogs.messages[0].contains(kExportListName));
    EXPECT_TRUE(dialogs.details[0].contains(QStringLiteral("李娜（学籍号 002）：原图太小")))
        << dialogs.details[0].toStdString();
    EXPECT_TRUE(QFileInfo(out + QStringLiteral("/未分年级/1班/110101200801011234.jpg")).isFile());
    EXPECT_TRUE(QFileInfo(out + QStringLiteral("/未分年级/1班.zip")).isFile());
    EXPECT_TRUE(QFileInfo(out + u'/' + kExportListName).isFile());
    EXPECT_EQ(Controls(form).Gauge1->MaxValue(), 2);
    EXPECT_EQ(Controls(form).Gauge1->Progress(), 2);

    // The same folder again: refused, nothing of the first export touched;
    // the folder dialog opens where the last export went.
    const QByteArray list = ReadFile(out + u'/' + kExportListName);
    dialogs.folderAnswers.push_back(out + u'/');
    ClickExport();
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(dialogs.messages[1].startsWith(QStringLiteral("导出学籍照片失败：导出文件夹")))
        << dialogs.messages[1].toStdString();
    EXPECT_EQ(dialogs.startFolders.back(), out + u'/');
    EXPECT_EQ(ReadFile(out + u'/' + kExportListName), list);
}

TEST_F(MainWindowExport, NeedsAnInstallationFolderAndStopsWhenTheDialogIsCancelled)
{
    Controls(form).Edit1->setText(TForm1::kFolderNotChosen);
    ClickExport();
    EXPECT_EQ(dialogs.messages, QStringList{AssignmentMessages::kFolderNotChosen});
    EXPECT_TRUE(dialogs.startFolders.isEmpty());

    Controls(form).Edit1->setText(site.Folder());
    dialogs.folderAnswers.push_back(std::nullopt);
    ClickExport();
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.startFolders.size(), 1);
}

} // namespace

// The main window's roster, photo list and assignment run, driven through its
// buttons with scripted dialogs, against an SQLite site.
#include "TestSite.h"

#include "main_window/AssignmentRun.h"
#include "main_window/Form1.h"
#include "platform/InstallationFolderStore.h"
#include "common/widgets/ListBoxItems.h"
#include "support/PaintCounter.h"
#include "support/QtPrinters.h"
#include "support/RecordingDialogs.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace AssignmentMessages;

namespace {

const QString kRosterFailed = QStringLiteral("读入数据失败，请确定数据格式是否正确！ ");

class MainWindowRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.UseOdbcDriver(site.OdbcDriver());
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    void LoadRoster(const QByteArray& bytes)
    {
        dialogs.fileAnswers.push_back(site.WriteScratch("roster.txt", bytes));
        QTest::mouseClick(form.ui.Button4, Qt::LeftButton);
    }

    void LoadPhotos(const QStringList& files)
    {
        dialogs.filesAnswers.push_back(files);
        QTest::mouseClick(form.ui.Button2, Qt::LeftButton);
    }

    TestSite site{Backend::SQLite};
    QString photoFolder = site.Scratch("photos/");
    QTemporaryDir settingsFolder;
    InstallationFolderStore store = InstallationFolderStore::AtFile(settingsFolder.filePath("Mirelund.conf"));
    RecordingDialogs dialogs;
    TForm1 form{dialogs, store};
};

TEST_F(MainWindowRun, Button4LoadsTheRosterIntoListAndCounts)
{
    QStringEncoder gb18030("GB18030");
    LoadRoster("\xEF\xBB\xBF" "001\r\n" + QByteArray(gb18030(QStringLiteral("学生乙"))) + "\r\n\r\n004\n");

    EXPECT_EQ(dialogs.filtersAsked, QStringList{QStringLiteral("支持的文件(txt)|*.txt")});
    EXPECT_EQ(ItemTexts(*form.ui.ListBox1), (QStringList{"001", "学生乙", "", "004"}));
    EXPECT_EQ(form.ui.StatusBar1->PanelText(0), QStringLiteral("共有 4 学生"));
    EXPECT_EQ(form.ui.Gauge1->MaxValue(), 4);
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // Cancelled: the roster stays, the gauge's maximum is set to it again.
    form.ui.Gauge1->SetMaxValue(100);
    QTest::mouseClick(form.ui.Button4, Qt::LeftButton);
    EXPECT_EQ(form.ui.ListBox1->count(), 4);
    EXPECT_EQ(form.ui.Gauge1->MaxValue(), 4);

    LoadRoster("");
    EXPECT_EQ(form.ui.ListBox1->count(), 0);
    EXPECT_EQ(form.ui.StatusBar1->PanelText(0), QStringLiteral("共有 0 学生"));
    EXPECT_EQ(form.ui.Gauge1->MaxValue(), 0);
}

TEST_F(MainWindowRun, Button4ThatCannotReadTheFileEmptiesTheRosterOnly)
{
    LoadRoster("1\n2\n");
    dialogs.fileAnswers.push_back(site.Scratch("absent.txt"));
    QTest::mouseClick(form.ui.Button4, Qt::LeftButton);

    EXPECT_EQ(dialogs.messages, QStringList{kRosterFailed + "\n找不到文件 " + site.Scratch("absent.txt")});
    EXPECT_EQ(form.ui.ListBox1->count(), 0);
    EXPECT_EQ(form.ui.StatusBar1->PanelText(0), QStringLiteral("共有 2 学生"));
    EXPECT_EQ(form.ui.Gauge1->MaxValue(), 2);
}

TEST_F(MainWindowRun, Button2TakesTheChosenPhotosInListingOrder)
{
    LoadPhotos({site.ScratchPhoto("10.jpg"), site.ScratchPhoto("2.JPG"),
                site.ScratchPhoto("1.bmp", "bmpsuite/g/rgb24.bmp")});

    EXPECT_EQ(dialogs.filtersAsked, QStringList{QStringLiteral("支持的文件(JPG,BMP)|*.JPG;*.BMP")});
    EXPECT_EQ(form.ui.Edit3->text(), QDir::toNativeSeparators(photoFolder));
    EXPECT_EQ(ItemTexts(*form.ui.ListBox2), (QStringList{"1.bmp", "2.JPG", "10.jpg"}));
    EXPECT_EQ(form.ui.StatusBar1->PanelText(1), QStringLiteral("共有 3 图片"));

    // Cancelled: nothing changes.
    QTest::mouseClick(form.ui.Button2, Qt::LeftButton);
    EXPECT_EQ(form.ui.ListBox2->count(), 3);
    EXPECT_EQ(form.ui.Edit3->text(), QDir::toNativeSeparators(photoFolder));
}

TEST_F(MainWindowRun, Button5ChecksItsInputsFirst)
{
    const auto clickWith = [&](const QString& folder, const QByteArray& roster, const QStringList& photos) {
        form.ui.Edit1->setText(folder);
        LoadRoster(roster);
        if (photos.isEmpty())
            form.ui.Edit3->clear();
        else
            LoadPhotos(photos);
        form.ui.StatusBar1->SetPanelText(0, "before");
        form.ui.Gauge1->SetProgress(1);
        QTest::mouseClick(form.ui.Button5, Qt::LeftButton);
        EXPECT_EQ(form.ui.StatusBar1->PanelText(0), QStringLiteral("before"));
        EXPECT_EQ(form.ui.Gauge1->Progress(), 1);
    };
    clickWith(TForm1::kFolderNotChosen, "1\n", {site.ScratchPhoto("1.jpg")});
    clickWith(site.Folder(), "1\n", {});
    clickWith(site.Folder(), "1\n2\n", {site.ScratchPhoto("1.jpg")});

    EXPECT_EQ(dialogs.messages, (QStringList{kFolderNotChosen, kNoPhotos, kCountsDiffer}));
    EXPECT_TRUE(QDir(site.SitePhotoFolder()).isEmpty());
}

TEST_F(MainWindowRun, Button5AssignsThePhotosAndReports)
{
    site.AddStudents({"S01", "S02", "S03"});
    form.ui.Edit1->setText(site.Folder());
    LoadRoster("S01\r\nS02\r\nS03\r\n");
    LoadPhotos({site.ScratchPhoto("3.bmp", "bmpsuite/g/rgb24.bmp"), site.ScratchPhoto("1.jpg"),
                site.ScratchPhoto("2.jpg")});
    PaintCounter counter(form.ui.Gauge1);

    QTest::mouseClick(form.ui.Button5, Qt::LeftButton);

    EXPECT_EQ(dialogs.messages, QStringList{kDone});
    EXPECT_EQ(form.ui.StatusBar1->PanelText(0), kDoneStatus);
    EXPECT_EQ(form.ui.Gauge1->PercentDone(), 100);
    // The gauge drew itself for each student although no event was processed.
    EXPECT_GE(counter.count, 3);
    EXPECT_EQ(site.Photos(), (QMap<QString, QString>{{"S01", "/upload/StudentPhoto/S01.jpg"},
                                                     {"S02", "/upload/StudentPhoto/S02.jpg"},
                                                     {"S03", "/upload/StudentPhoto/S03.jpg"}}));
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "S03.jpg"), ReadFile(TestDataPath("bmpsuite/g/rgb24.bmp")));

    // A second run in the same session, after the site lost its Web.config.
    QFile::remove(site.Folder() + "Web.config");
    QTest::mouseClick(form.ui.Button5, Qt::LeftButton);
    EXPECT_EQ(dialogs.messages, (QStringList{kDone, kFailed}));
    EXPECT_EQ(form.ui.StatusBar1->PanelText(0), kFailedStatus);
    EXPECT_EQ(form.ui.Gauge1->PercentDone(), 100);

    // And once more with it back (every run opens afresh), one photo gone.
    site.WriteWebConfig(site.DefaultWebConfig());
    QFile::remove(photoFolder + "2.jpg");
    QTest::mouseClick(form.ui.Button5, Qt::LeftButton);
    EXPECT_EQ(dialogs.messages.value(2), kDone + "\n\n以下学生的图片未能复制，数据库中的记录未改动：S02");
    EXPECT_EQ(form.ui.StatusBar1->PanelText(0), kDoneStatus);
}

} // namespace

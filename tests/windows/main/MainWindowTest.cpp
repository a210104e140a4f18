#include "files/FolderString.h"
#include "platform/settings/InstallationFolderStore.h"
#include "support/QtPrinters.h"
#include "support/RecordingDialogs.h"
#include "support/TestFiles.h"
#include "widgets/QtChineseTexts.h"
#include "windows/main/Form1.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    QString SettingsFile() const { return temp.filePath("Mirelund.conf"); }

    QTemporaryDir temp;
    InstallationFolderStore store = InstallationFolderStore::AtFile(SettingsFile());
    RecordingDialogs dialogs;
};

} // namespace

TEST_F(MainWindowTest, OnlyTheFirstShowingShowsThePromptAndEmptyLists)
{
    TForm1 form(dialogs, store);
    EXPECT_EQ(Controls(form).Edit3->text(), QStringLiteral("Edit3")); // activation has not run yet
    form.show();

    EXPECT_EQ(form.windowTitle(), QStringLiteral("学生照片设置辅助工具"));
    EXPECT_EQ(QCoreApplication::applicationName(), form.windowTitle());
    EXPECT_EQ(Controls(form).Edit1->text(), QStringLiteral("请点击\"浏览\"按钮选择软件安装目录！"));
    EXPECT_EQ(Controls(form).Edit3->text(), QString());
    EXPECT_EQ(Controls(form).ListBox1->count() + Controls(form).ListBox2->count(), 0);
    EXPECT_EQ(Controls(form).StatusBar1->PanelText(0) + Controls(form).StatusBar1->PanelText(1), QString());
    EXPECT_EQ(Controls(form).Gauge1->PercentDone(), 0);
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // Back from a side window: the photo folder it handed over stays.
    form.TakePhotoList(QStringLiteral("/photos/"), {});
    form.hide();
    form.show();
    EXPECT_EQ(Controls(form).Edit3->text(), QStringLiteral("/photos/"));
}

TEST_F(MainWindowTest, InstructionsExitAndCloseBox)
{
    TForm1 form(dialogs, store);
    form.show();
    QTest::mouseClick(Controls(form).Button6, Qt::LeftButton);
    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("学生的图片顺序一定要按照学生学籍号的顺序来编排")});

    QTest::mouseClick(Controls(form).Button3, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    form.show();
    EXPECT_TRUE(form.close()); // no question asked
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(dialogs.messages.size(), 1);
}

TEST_F(MainWindowTest, SideWindowsAreShownModallyAndLeaveTheMainWindowAsItWas)
{
    TForm1 form(dialogs, store);
    QDialog capture(&form);
    QDialog resize(&form);
    form.AttachSideWindows(&capture, &resize);
    form.show();
    Controls(form).Edit3->setText(QStringLiteral("kept"));

    for (const auto& [button, sideWindow] :
         {std::pair{Controls(form).Button7, &capture}, std::pair{Controls(form).Button8, &resize}}) {
        bool wasModal = false;
        QTimer::singleShot(0, sideWindow, [&wasModal, sideWindow = sideWindow] {
            wasModal = sideWindow->isVisible() && sideWindow->isModal();
            sideWindow->reject();
        });
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_TRUE(wasModal) << button->objectName().toStdString();
    }
    EXPECT_EQ(Controls(form).Edit3->text(), QStringLiteral("kept"));
}

TEST_F(MainWindowTest, AChosenFolderIsShownAndRememberedForTheNextStartIfTheStoreCanBeWritten)
{
    {
        TForm1 form(dialogs, store);
        dialogs.folderAnswers = {std::nullopt, QStringLiteral("/srv/学校网站/")};
        QTest::mouseClick(Controls(form).Button1, Qt::LeftButton); // cancelled: nothing changes
        EXPECT_EQ(Controls(form).Edit1->text(), TForm1::kFolderNotChosen);
        EXPECT_FALSE(QFile::exists(SettingsFile()));
        QTest::mouseClick(Controls(form).Button1, Qt::LeftButton);
        EXPECT_EQ(Controls(form).Edit1->text(), QStringLiteral("/srv/学校网站/"));
    }
    TForm1 nextStart(dialogs, store);
    EXPECT_EQ(Controls(nextStart).Edit1->text(), QStringLiteral("/srv/学校网站/"));

    // A folder in the store's place makes every write fail: the folder is
    // kept for this run, silently.
    ASSERT_TRUE(QFile::remove(SettingsFile()) && QDir().mkpath(SettingsFile()));
    dialogs.folderAnswers.push_back(QStringLiteral("/srv/site/"));
    QTest::mouseClick(Controls(nextStart).Button1, Qt::LeftButton);
    EXPECT_EQ(Controls(nextStart).Edit1->text(), QStringLiteral("/srv/site/"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(MainWindowTest, RememberedValuesAreShownUnchanged)
{
    const struct {
        const char* name;
        const char* key;
        QVariant value;
        QString shown;
    } cases[] = {
        {"no trailing separator", "Path", QStringLiteral("/srv/site"), "/srv/site"},
        {"key without a value", "Other", QStringLiteral("x"), ""},
        {"value that is not a string", "Path", QStringList{"a", "b"}, "Edit1"},
    };
    for (const auto& c : cases) {
        QFile::remove(SettingsFile());
        QSettings(SettingsFile(), QSettings::IniFormat).setValue(c.key, c.value);
        TForm1 form(dialogs, store);
        EXPECT_EQ(Controls(form).Edit1->text(), c.shown) << c.name;
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(MainWindowTest, OnlyTheRosterSelectsByTyping)
{
    TForm1 form(dialogs, store);
    form.show();
    for (TListBox* list : {Controls(form).ListBox1, Controls(form).ListBox2})
        list->addItems({"001.jpg", "102.jpg"});

    Controls(form).ListBox1->keyboardSearch("1");
    EXPECT_EQ(Controls(form).ListBox1->currentRow(), 1);
    Controls(form).ListBox2->keyboardSearch("1");
    EXPECT_EQ(Controls(form).ListBox2->currentRow(), -1);
}

TEST_F(MainWindowTest, StatusPanelsShowTheirTextsWholeAndTheLastRunsToTheWindowsEdge)
{
    TForm1 form(dialogs, store);
    form.show();
    const auto* panel = Controls(form).StatusBar1->findChild<QLabel*>("Panel1");
    for (const int photos : {5, 1000, 12345}) {
        form.TakePhotoList("/photos/", QStringList(photos, "x.jpg"));
        EXPECT_LE(panel->fontMetrics().horizontalAdvance(panel->text()), panel->contentsRect().width()) << photos;
    }
    EXPECT_EQ(panel->mapTo(&form, QPoint(panel->width(), 0)).x(), form.width());
}

TEST_F(MainWindowTest, ChoosersOpenWhereTheUserWorks)
{
    TForm1 form(dialogs, store);
    form.show();
    const QString site = temp.filePath("site") + "/", roster = temp.filePath("class1.txt");
    const QString photo = TestDataPath("jpeg/photos/hopper.jpg");
    WriteFile(roster, "S01\n");
    dialogs.folderAnswers = {site, std::nullopt};
    dialogs.filesAnswers = {{photo}, {}};
    dialogs.fileAnswers = {roster, {}};
    // Each chooser twice: before anything is known, then after a choice.
    for (QPushButton* button : {Controls(form).Button1, Controls(form).Button1, Controls(form).Button2,
                                Controls(form).Button2, Controls(form).Button4, Controls(form).Button4})
        QTest::mouseClick(button, Qt::LeftButton);
    // The photos and the roster open beside the site until there is a
    // photo folder, a roster.
    EXPECT_EQ(dialogs.startFolders,
              (QStringList{"", site, site, FolderString(QFileInfo(photo).path()), site, temp.path()}));
}

TEST(QtChineseTexts, QtsOwnButtonsAreChineseWhenTheTranslationIsThere)
{
#ifdef SP_QT_TRANSLATIONS_DIR
    const QString qtTranslations = QStringLiteral(SP_QT_TRANSLATIONS_DIR);
#else
    const QString qtTranslations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#endif
    const QTemporaryDir noTranslations;
    for (const auto& [folder, okButton] : {std::pair{qtTranslations, "确定"}, std::pair{noTranslations.path(), "OK"}}) {
        const std::unique_ptr<QTranslator> translator = InstallQtChineseTexts(folder);
        EXPECT_EQ(translator != nullptr, okButton == std::string("确定")) << folder.toStdString();
        const QMessageBox box(QMessageBox::NoIcon, QString(), QString(), QMessageBox::Ok);
        EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QString::fromUtf8(okButton)) << folder.toStdString();
    }
}

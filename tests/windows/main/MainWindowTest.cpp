#include "files/FolderString.h"
#include "platform/settings/InstallationFolderStore.h"
#include "support/QtPrinters.h"
#include "support/RecordingDialogs.h"
#include "support/TestFiles.h"
#include "widgets/QtChineseTexts.h"
#include "windows/main/Form1.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QDialog>
#include <QDir>
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
    // Only that the folders hold no Web.config was said, for each.
    EXPECT_EQ(dialogs.messages.size(), 2);
    for (const QString& message : dialogs.messages)
        EXPECT_TRUE(message.startsWith(QStringLiteral("所选文件夹中没有 Web.config"))) << message.toStdString();
}

// A folder without Web.config is taken, and the user is told at once that
// it is likely not the site; a site's folder is taken without a word.
TEST_F(MainWindowTest, AFolderWithoutWebConfigIsToldWhenChosen)
{
    QTemporaryDir site;
    QTemporaryDir other;
    WriteFile(site.filePath("Web.config"), "<configuration/>");
    TForm1 form(dialogs, store);
    dialogs.folderAnswers = {other.path() + '/', site.path() + '/'};

    QTest::mouseClick(Controls(form).Button1, Qt::LeftButton);
    EXPECT_EQ(Controls(form).Edit1->text(), other.path() + '/');
    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("所选文件夹中没有 Web.config，它可能不是网站的安装目录：%1")
                                                .arg(QDir::toNativeSeparators(other.path() + '/'))});

    dialogs.messages.clear();
    QTest::mouseClick(Controls(form).Button1, Qt::LeftButton);
    EXPECT_EQ(Controls(form).Edit1->text(), site.path() + '/');
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
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
        // The kind of a folder in the folder picker's list, which Qt's own
        // Chinese texts lack.
        EXPECT_EQ(QAbstractFileIconProvider().type(QFileInfo(noTranslations.path())),
                  translator ? QStringLiteral("文件夹") : QStringLiteral("Folder"))
            << folder.toStdString();
    }
}

// Tab walks the window as it is read: top to bottom, left to right, every
// control that takes the focus once, and back to the first.
TEST_F(MainWindowTest, TabFollowsTheWindowTopToBottomLeftToRight)
{
    TForm1 form(dialogs, store);
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    auto& controls = Controls(form);
    const QList<QWidget*> reading{controls.Edit1,        controls.Button1,    controls.Edit3,       controls.Button2,
                                  controls.Button4,      controls.Button7,    controls.Button8,     controls.ListBox1,
                                  controls.pairingCombo, controls.ListBox2,   controls.Button5,     controls.Button6,
                                  controls.Button3,      controls.undoButton, controls.exportButton};
    QStringList expected;
    for (QWidget* control : reading) {
        if (control->isEnabled() && (control->focusPolicy() & Qt::TabFocus))
            expected << control->objectName();
    }
    ASSERT_GE(expected.size(), 10);
    QWidget* first = form.findChild<QWidget*>(expected.first());
    first->setFocus(Qt::OtherFocusReason);
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited, expected + QStringList{expected.first()});
}

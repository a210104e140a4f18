#include "main_window/Form1.h"
#include "platform/InstallationFolderStore.h"
#include "support/QtPrinters.h"
#include "support/RecordingDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(temp.isValid()); }

    QString SettingsFile() const { return temp.filePath("Mirelund.conf"); }
    InstallationFolderStore Store() const { return InstallationFolderStore::AtFile(SettingsFile()); }

    QTemporaryDir temp;
    RecordingDialogs dialogs;
};

} // namespace

TEST_F(MainWindowTest, StartStateBeforeAnyAction)
{
    const InstallationFolderStore store = Store();
    TForm1 form(dialogs, store);
    form.show();

    EXPECT_EQ(form.windowTitle(), QStringLiteral("学生照片设置辅助工具"));
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("学生照片设置辅助工具"));
    EXPECT_EQ(form.ui.Edit1->text(), QStringLiteral("请点击\"浏览\"按钮选择软件安装目录！"));
    EXPECT_EQ(form.ui.Edit3->text(), QString());
    EXPECT_EQ(form.ui.ListBox1->count(), 0);
    EXPECT_EQ(form.ui.ListBox2->count(), 0);
    EXPECT_EQ(form.ui.StatusBar1->PanelText(0), QString());
    EXPECT_EQ(form.ui.StatusBar1->PanelText(1), QString());
    EXPECT_EQ(form.ui.Gauge1->PercentDone(), 0);
    EXPECT_EQ(form.ui.Gauge1->MaxValue(), 100);
    EXPECT_TRUE(form.ui.Edit1->isReadOnly());
    EXPECT_TRUE(form.ui.Edit3->isReadOnly());
    EXPECT_EQ(form.size(), QSize(405, 464));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(MainWindowTest, ControlsSitWhereTheLayoutPutsThem)
{
    const InstallationFolderStore store = Store();
    TForm1 form(dialogs, store);
    const struct {
        QWidget* widget;
        QRect geometry;
        const char* caption;
    } expected[] = {
        {form.ui.Edit1, {96, 16, 225, 21}, nullptr},
        {form.ui.Button1, {326, 13, 75, 25}, "浏览(&O)"},
        {form.ui.Button2, {326, 43, 75, 25}, "载入图片"},
        {form.ui.Button3, {280, 392, 97, 25}, "退出(&X)"},
        {form.ui.Button4, {8, 75, 129, 30}, "加载学生学籍号"},
        {form.ui.Button5, {16, 392, 105, 25}, "设置学生图片"},
        {form.ui.Button6, {144, 392, 121, 25}, "使用说明"},
        {form.ui.Button7, {152, 75, 121, 30}, "现场采集图片"},
        {form.ui.Button8, {280, 75, 121, 30}, "图片大小调整"},
        {form.ui.ListBox1, {8, 16, 169, 240}, nullptr},
        {form.ui.ListBox2, {8, 16, 169, 240}, nullptr},
        {form.ui.Gauge1, {2, 424, 401, 17}, nullptr},
    };
    for (const auto& control : expected) {
        EXPECT_EQ(control.widget->geometry(), control.geometry) << control.widget->objectName().toStdString();
        if (auto* button = qobject_cast<QPushButton*>(control.widget)) {
            EXPECT_EQ(button->text(), QString::fromUtf8(control.caption));
        }
    }
    EXPECT_EQ(form.ui.GroupBox1->title(), QStringLiteral("学生学籍号"));
    EXPECT_EQ(form.ui.GroupBox2->title(), QStringLiteral("学生图片"));
}

TEST_F(MainWindowTest, TabOrderFollowsTheLayout)
{
    const InstallationFolderStore store = Store();
    TForm1 form(dialogs, store);
    const QList<QWidget*> order{form.ui.Edit1, form.ui.Button1, form.ui.Button3, form.ui.Button4,
                                form.ui.Button5, form.ui.Edit3, form.ui.Button2, form.ui.ListBox1,
                                form.ui.ListBox2, form.ui.Button6, form.ui.Button7, form.ui.Button8};
    const auto nextTabStop = [](QWidget* widget) {
        do
            widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus));
        return widget;
    };
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        EXPECT_EQ(nextTabStop(order[i])->objectName(), order[i + 1]->objectName())
            << "after " << order[i]->objectName().toStdString();
}

TEST_F(MainWindowTest, ActivationStepsRunOnlyAtTheFirstShowing)
{
    const InstallationFolderStore store = Store();
    TForm1 form(dialogs, store);
    EXPECT_EQ(form.ui.Edit3->text(), QStringLiteral("Edit3"));
    form.show();
    EXPECT_EQ(form.ui.Edit3->text(), QString());
    EXPECT_TRUE(form.ui.ListBox1->hasFocus() || QApplication::focusWidget() == nullptr
                || QApplication::focusWidget() == form.ui.ListBox1);

    // Back from a side window: the photo folder it handed over stays.
    form.TakePhotoList(QStringLiteral("/photos/"), {});
    form.hide();
    form.show();
    EXPECT_EQ(form.ui.Edit3->text(), QStringLiteral("/photos/"));
}

TEST_F(MainWindowTest, InstructionsButtonShowsTheOrderingRule)
{
    const InstallationFolderStore store = Store();
    TForm1 form(dialogs, store);
    QTest::mouseClick(form.ui.Button6, Qt::LeftButton);
    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("学生的图片顺序一定要按照学生学籍号的顺序来编排")});
}

TEST_F(MainWindowTest, ExitButtonAndCloseBoxEndWithoutAQuestion)
{
    const InstallationFolderStore store = Store();
    TForm1 form(dialogs, store);
    form.show();
    QTest::mouseClick(form.ui.Button3, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());

    form.show();
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(MainWindowTest, SideWindowsAreShownModallyAndLeaveTheMainWindowAsItWas)
{
    const InstallationFolderStore store = Store();
    TForm1 form(dialogs, store);
    QDialog capture(&form);
    QDialog resize(&form);
    form.AttachSideWindows(&capture, &resize);
    form.show();
    form.ui.Edit3->setText(QStringLiteral("kept"));

    bool wasModal = false;
    QTimer::singleShot(0, &capture, [&] {
        wasModal = capture.isVisible() && capture.isModal();
        capture.reject();
    });
    QTest::mouseClick(form.ui.Button7, Qt::LeftButton);
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(form.ui.Edit3->text(), QStringLiteral("kept"));

    wasModal = false;
    QTimer::singleShot(0, &resize, [&] {
        wasModal = resize.isVisible() && resize.isModal();
        resize.reject();
    });
    QTest::mouseClick(form.ui.Button8, Qt::LeftButton);
    EXPECT_TRUE(wasModal);
}

TEST_F(MainWindowTest, AChosenFolderIsShownAndRememberedForTheNextStart)
{
    {
        const InstallationFolderStore store = Store();
        TForm1 form(dialogs, store);
        dialogs.folderAnswers.push_back(std::nullopt); // cancelled: nothing changes
        QTest::mouseClick(form.ui.Button1, Qt::LeftButton);
        EXPECT_EQ(form.ui.Edit1->text(), TForm1::kFolderNotChosen);
        EXPECT_FALSE(QFile::exists(SettingsFile()));

        dialogs.folderAnswers.push_back(QStringLiteral("/srv/学校网站/"));
        QTest::mouseClick(form.ui.Button1, Qt::LeftButton);
        EXPECT_EQ(form.ui.Edit1->text(), QStringLiteral("/srv/学校网站/"));
    }
    const InstallationFolderStore store = Store();
    TForm1 nextStart(dialogs, store);
    EXPECT_EQ(nextStart.ui.Edit1->text(), QStringLiteral("/srv/学校网站/"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(MainWindowTest, RememberedValuesAreShownUnchanged)
{
    struct Case {
        const char* name;
        std::function<void(QSettings&)> write;
        QString shown;
    };
    const Case cases[] = {
        {"no trailing separator", [](QSettings& s) { s.setValue("Path", "/srv/site"); }, "/srv/site"},
        {"key without a value", [](QSettings& s) { s.setValue("Other", "x"); }, ""},
        {"value that is not text", [](QSettings& s) { s.setValue("Path", QStringList{"a", "b"}); }, "Edit1"},
    };
    for (const Case& c : cases) {
        QFile::remove(SettingsFile());
        {
            QSettings settings(SettingsFile(), QSettings::IniFormat);
            c.write(settings);
        }
        const InstallationFolderStore store = Store();
        TForm1 form(dialogs, store);
        EXPECT_EQ(form.ui.Edit1->text(), c.shown) << c.name;
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(MainWindowTest, AStoreThatCannotBeWrittenKeepsTheFolderForThisRunSilently)
{
    // A folder where the settings file should be makes every write fail.
    ASSERT_TRUE(QDir().mkpath(SettingsFile()));
    const InstallationFolderStore store = Store();
    TForm1 form(dialogs, store);
    dialogs.folderAnswers.push_back(QStringLiteral("/srv/site/"));
    QTest::mouseClick(form.ui.Button1, Qt::LeftButton);
    EXPECT_EQ(form.ui.Edit1->text(), QStringLiteral("/srv/site/"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(MainWindowTest, HandOverFromTheResizeWindow)
{
    const InstallationFolderStore store = Store();
    TForm1 form(dialogs, store);
    form.ui.StatusBar1->SetPanelText(1, QStringLiteral("before"));
    form.ui.ListBox2->addItem(QStringLiteral("old.jpg"));

    form.TakePhotoList(QStringLiteral("/target/"), {});
    EXPECT_EQ(form.ui.Edit3->text(), QStringLiteral("/target/"));
    EXPECT_EQ(form.ui.ListBox2->count(), 0);
    EXPECT_EQ(form.ui.StatusBar1->PanelText(1), QStringLiteral("before"));

    form.TakePhotoList(QStringLiteral("/target/"), {"001.jpg", "002.jpg"});
    EXPECT_EQ(form.ui.ListBox2->count(), 2);
    EXPECT_EQ(form.ui.ListBox2->item(1)->text(), QStringLiteral("002.jpg"));
    EXPECT_EQ(form.ui.StatusBar1->PanelText(1), QStringLiteral("共有 2 图片"));
}

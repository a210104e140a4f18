#include "ReferencePictures.h"
#include "main_window/Form1.h"
#include "platform/InstallationFolderStore.h"
#include "resize_window/ModifyPic.h"
#include "common/widgets/ListBoxItems.h"
#include "support/QtPrinters.h"
#include "support/RecordingDialogs.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class ResizeWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        ASSERT_TRUE(QDir(temp.path()).mkpath("source"));
        ASSERT_TRUE(QDir(temp.path()).mkpath("target"));
    }

    QString Source() const { return QDir::toNativeSeparators(temp.filePath("source") + '/'); }
    QString Target() const { return QDir::toNativeSeparators(temp.filePath("target") + '/'); }

    void AddPhotos(const QString& folder, const QStringList& names)
    {
        for (const QString& name : names)
            ASSERT_TRUE(QFile::copy(TestDataPath("jpeg/photos/hopper.jpg"), folder + name)) << name.toStdString();
    }


    // Chooses both folders through the browse buttons.
    void ChooseFolders(TfrmPicture& window)
    {
        dialogs.folderAnswers.push_back(Source());
        QTest::mouseClick(window.ui.Button3, Qt::LeftButton);
        dialogs.folderAnswers.push_back(Target());
        QTest::mouseClick(window.ui.Button4, Qt::LeftButton);
    }

    QStringList TargetFiles() const { return QDir(Target()).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir temp;
    RecordingDialogs dialogs;
    const InstallationFolderStore store = InstallationFolderStore::AtFile(temp.filePath("settings.conf"));
    TForm1 mainWindow{dialogs, store};
    TfrmPicture window{dialogs, mainWindow};
};

} // namespace

TEST_F(ResizeWindowTest, ControlsSitWhereTheLayoutPutsThem)
{
    const struct {
        QWidget* widget;
        QRect geometry;
        const char* text;
    } expected[] = {
        {window.ui.GroupBox2, {4, 5, 309, 180}, "图片选项"},
        {window.ui.GroupBox3, {8, 16, 281, 57}, "缩放大小设置"},
        {window.ui.Label3, {8, 24, 65, 17}, "图片宽度："},
        {window.ui.Edit1, {72, 20, 57, 21}, "120"},
        {window.ui.Label4, {143, 23, 68, 17}, "图片高度："},
        {window.ui.Edit2, {216, 19, 57, 21}, "180"},
        {window.ui.Label5, {8, 79, 137, 17}, "源图片路径"},
        {window.ui.Edit3, {8, 97, 225, 21}, ""},
        {window.ui.Button3, {247, 95, 50, 25}, "浏览"},
        {window.ui.Label9, {8, 128, 81, 17}, "目标图片路径"},
        {window.ui.Edit4, {8, 152, 225, 21}, ""},
        {window.ui.Button4, {247, 148, 50, 25}, "浏览"},
        {window.ui.Gauge1, {5, 192, 305, 25}, nullptr},
        {window.ui.Button1, {16, 224, 129, 33}, "开始"},
        {window.ui.Button2, {176, 224, 129, 33}, "退出"},
        {window.ui.Label1, {320, 8, 73, 13}, "源图片信息"},
        {window.ui.chklstbox, {320, 24, 129, 241}, nullptr},
        {window.ui.Image1, {456, 24, 120, 180}, nullptr},
        {window.ui.Image2, {584, 24, 120, 180}, nullptr},
    };
    for (const auto& control : expected) {
        SCOPED_TRACE(control.widget->objectName().toStdString());
        EXPECT_EQ(control.widget->geometry(), control.geometry);
        if (!control.text)
            continue;
        const QString text = QString::fromUtf8(control.text);
        QString shown;
        if (auto* button = qobject_cast<QPushButton*>(control.widget))
            shown = button->text();
        else if (auto* label = qobject_cast<QLabel*>(control.widget))
            shown = label->text();
        else if (auto* edit = qobject_cast<QLineEdit*>(control.widget))
            shown = edit->text();
        else if (auto* group = qobject_cast<QGroupBox*>(control.widget))
            shown = group->title();
        EXPECT_EQ(shown, text);
    }
    EXPECT_EQ(window.ui.GroupBox3->parentWidget(), window.ui.GroupBox2);
    EXPECT_EQ(window.ui.Edit1->parentWidget(), window.ui.GroupBox3);
    EXPECT_EQ(window.ui.Edit4->parentWidget(), window.ui.GroupBox2);
    EXPECT_TRUE(window.ui.Edit3->isReadOnly());
    EXPECT_TRUE(window.ui.Edit4->isReadOnly());
    EXPECT_FALSE(window.ui.chklstbox->isSortingEnabled());
    EXPECT_TRUE(window.ui.Image1->isHidden());
    EXPECT_TRUE(window.ui.Image2->isHidden());
    EXPECT_EQ(window.ui.Gauge1->Progress(), 0);
    EXPECT_EQ(window.size(), QSize(454, 270));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(window.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint
                                         | Qt::WindowContextHelpButtonHint));
    EXPECT_EQ(window.parentWidget(), &mainWindow);
}

TEST_F(ResizeWindowTest, EachShowingResetsTheFieldsButKeepsTheTargetFolder)
{
    AddPhotos(Source(), {"a.jpg"});
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("图片大小调整"));
    ChooseFolders(window);
    window.ui.Edit1->setText("200");
    window.ui.Edit2->setText("300");
    window.ui.Button3->setText("x");
    ASSERT_EQ(ItemTexts(*window.ui.chklstbox), QStringList{"a.jpg"});
    QTest::mouseClick(window.ui.Button1, Qt::LeftButton);
    ASSERT_EQ(window.ui.Gauge1->PercentDone(), 100);
    QTest::mouseClick(window.ui.Button2, Qt::LeftButton);
    ASSERT_FALSE(window.isVisible());

    window.show();
    EXPECT_EQ(window.ui.Edit1->text(), QStringLiteral("120"));
    EXPECT_EQ(window.ui.Edit2->text(), QStringLiteral("180"));
    EXPECT_EQ(window.ui.Edit3->text(), QString());
    EXPECT_EQ(window.ui.Button3->text(), QStringLiteral("浏览"));
    EXPECT_EQ(window.ui.chklstbox->count(), 0);
    EXPECT_EQ(window.ui.Edit4->text(), Target());
    EXPECT_EQ(window.ui.Gauge1->PercentDone(), 100);
}

TEST_F(ResizeWindowTest, ChoosingTheSourceFolderListsOnlyItsPictures)
{
    const QString other = QDir::toNativeSeparators(temp.filePath("other") + '/');
    ASSERT_TRUE(QDir().mkpath(other));
    AddPhotos(Source(), {"b.jpg", "a.JPG"});
    AddPhotos(other, {"x.jpg"});
    WriteFile(Source() + "notes.txt", "x");
    window.show();

    dialogs.folderAnswers.push_back(Source());
    QTest::mouseClick(window.ui.Button3, Qt::LeftButton);
    EXPECT_EQ(window.ui.Edit3->text(), Source());
    EXPECT_EQ(ItemTexts(*window.ui.chklstbox), (QStringList{"a.JPG", "b.jpg"}));

    dialogs.folderAnswers.push_back(other);
    QTest::mouseClick(window.ui.Button3, Qt::LeftButton);
    EXPECT_EQ(ItemTexts(*window.ui.chklstbox), QStringList{"x.jpg"});

    // Cancelled browses change nothing.
    dialogs.folderAnswers.push_back(std::nullopt);
    QTest::mouseClick(window.ui.Button3, Qt::LeftButton);
    dialogs.folderAnswers.push_back(std::nullopt);
    QTest::mouseClick(window.ui.Button4, Qt::LeftButton);
    EXPECT_EQ(window.ui.Edit3->text(), other);
    EXPECT_EQ(ItemTexts(*window.ui.chklstbox), QStringList{"x.jpg"});
    EXPECT_EQ(window.ui.Edit4->text(), QString());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(ResizeWindowTest, StartingWithoutBothFoldersOnlyTellsTheUser)
{
    AddPhotos(Source(), {"a.jpg"});
    window.show();
    window.ui.Edit1->setText("abc"); // the folders are checked first
    QTest::mouseClick(window.ui.Button1, Qt::LeftButton);

    dialogs.folderAnswers.push_back(Source());
    QTest::mouseClick(window.ui.Button3, Qt::LeftButton);
    QTest::mouseClick(window.ui.Button1, Qt::LeftButton);

    window.hide();
    window.show(); // empties the source, keeps the (empty) target
    dialogs.folderAnswers.push_back(Target());
    QTest::mouseClick(window.ui.Button4, Qt::LeftButton);
    QTest::mouseClick(window.ui.Button1, Qt::LeftButton);

    EXPECT_EQ(dialogs.messages, QStringList(3, QStringLiteral("没有选择图片路径")));
    EXPECT_EQ(window.ui.Gauge1->MaxValue(), 100);
    EXPECT_TRUE(TargetFiles().isEmpty());
}

TEST_F(ResizeWindowTest, ARunWritesNumberedPicturesAndFillsTheGauge)
{
    AddPhotos(Source(), {"c.jpg", "a.jpg", "b.jpg"});
    window.show();
    ChooseFolders(window);
    QTest::mouseClick(window.ui.Button1, Qt::LeftButton);

    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("图片大小调整成功！")});
    EXPECT_EQ(TargetFiles(), (QStringList{"001.jpg", "002.jpg", "003.jpg"}));
    EXPECT_EQ(window.ui.Gauge1->MaxValue(), 3);
    EXPECT_EQ(window.ui.Gauge1->PercentDone(), 100);
    const Bmp32 first = ReadBmp32(ReadFile(Target() + "001.jpg"));
    ASSERT_TRUE(first.valid) << first.problem.toStdString();
    EXPECT_EQ(QSize(first.picture.width, first.picture.height), QSize(120, 180));
    // The list stays for another run, here at another size.
    EXPECT_EQ(window.ui.chklstbox->count(), 3);
    window.ui.Edit1->setText("200");
    window.ui.Edit2->setText("300");
    QTest::mouseClick(window.ui.Button1, Qt::LeftButton);
    const Bmp32 again = ReadBmp32(ReadFile(Target() + "003.jpg"));
    EXPECT_EQ(QSize(again.picture.width, again.picture.height), QSize(200, 300));
    EXPECT_EQ(dialogs.messages.size(), 2);
}

TEST_F(ResizeWindowTest, SizeTextsThatAreNotUsableFailWithoutWritingAFile)
{
    AddPhotos(Source(), {"a.jpg"});
    window.show();
    ChooseFolders(window);
    const std::pair<const char*, const char*> rows[] = {{"abc", "180"}, {"120", ""}, {"0", "180"}, {"120", "-1"}};
    for (const auto& [width, height] : rows) {
        window.ui.Edit1->setText(width);
        window.ui.Edit2->setText(height);
        QTest::mouseClick(window.ui.Button1, Qt::LeftButton);
        EXPECT_EQ(dialogs.messages.takeLast(), QStringLiteral("片大小调整失败，请确认文件是否正确！"))
            << width << " x " << height;
        EXPECT_TRUE(TargetFiles().isEmpty()) << width << " x " << height;
    }
}

TEST_F(ResizeWindowTest, AFailureStopsTheRunWithTheGaugeWhereItGotTo)
{
    AddPhotos(Source(), {"a.jpg", "b.jpg", "c.jpg"});
    window.show();
    ChooseFolders(window);
    ASSERT_TRUE(QFile::remove(Source() + "b.jpg"));
    QTest::mouseClick(window.ui.Button1, Qt::LeftButton);

    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("片大小调整失败，请确认文件是否正确！")});
    EXPECT_EQ(TargetFiles(), QStringList{"001.jpg"});
    EXPECT_EQ(window.ui.Gauge1->Progress(), 1);
    EXPECT_EQ(window.ui.Gauge1->PercentDone(), 33);
}

TEST_F(ResizeWindowTest, ClosingHandsTheTargetsPicturesToTheMainWindow)
{
    mainWindow.ui.StatusBar1->SetPanelText(1, QStringLiteral("共有 9 图片"));
    mainWindow.ui.ListBox2->addItem("old.jpg");
    AddPhotos(Target(), {"5.jpg", "1.jpg", "3.jpg", "2.jpg", "4.jpg"});
    WriteFile(Target() + "readme.txt", "x");
    window.show();
    dialogs.folderAnswers.push_back(Target());
    QTest::mouseClick(window.ui.Button4, Qt::LeftButton);
    window.close(); // the close box

    const QStringList five{"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg"};
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(mainWindow.ui.Edit3->text(), Target());
    EXPECT_EQ(ItemTexts(*mainWindow.ui.ListBox2), five);
    EXPECT_EQ(mainWindow.ui.StatusBar1->PanelText(1), QStringLiteral("共有 5 图片"));
    EXPECT_EQ(ItemTexts(*window.ui.chklstbox), five);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(ResizeWindowTest, ClosingOnATargetWithoutPicturesEmptiesThePhotoList)
{
    mainWindow.ui.StatusBar1->SetPanelText(1, QStringLiteral("共有 9 图片"));
    mainWindow.ui.ListBox2->addItem("old.jpg");
    window.show();
    dialogs.folderAnswers.push_back(Target());
    QTest::mouseClick(window.ui.Button4, Qt::LeftButton);
    QTest::mouseClick(window.ui.Button2, Qt::LeftButton); // 退出

    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(mainWindow.ui.Edit3->text(), Target());
    EXPECT_EQ(mainWindow.ui.ListBox2->count(), 0);
    EXPECT_EQ(mainWindow.ui.StatusBar1->PanelText(1), QStringLiteral("共有 9 图片"));
}

TEST_F(ResizeWindowTest, ClosingWithoutATargetHandsOverNothingFromTheCurrentDirectory)
{
    // Pictures in the current directory must not become the photo list.
    AddPhotos(Source(), {"a.jpg", "b.jpg"});
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Source()));
    mainWindow.ui.Edit3->setText("kept?");
    mainWindow.ui.ListBox2->addItem("old.jpg");
    mainWindow.ui.StatusBar1->SetPanelText(1, QStringLiteral("共有 1 图片"));
    window.show();
    QTest::keyClick(&window, Qt::Key_Escape); // Esc closes too
    QDir::setCurrent(before);

    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(mainWindow.ui.Edit3->text(), QString());
    EXPECT_EQ(mainWindow.ui.ListBox2->count(), 0);
    EXPECT_EQ(mainWindow.ui.StatusBar1->PanelText(1), QStringLiteral("共有 1 图片"));
    EXPECT_EQ(window.ui.chklstbox->count(), 0);
}

TEST_F(ResizeWindowTest, TheMainWindowShowsItModallyAndGetsTheRunsPictures)
{
    AddPhotos(Source(), {"a.jpg", "b.jpg"});
    mainWindow.AttachSideWindows(nullptr, &window);
    mainWindow.show();
    bool wasModal = false;
    QTimer::singleShot(0, &window, [&] {
        wasModal = window.isVisible() && window.isModal();
        ChooseFolders(window);
        QTest::mouseClick(window.ui.Button1, Qt::LeftButton);
        QTest::mouseClick(window.ui.Button2, Qt::LeftButton);
    });
    QTest::mouseClick(mainWindow.ui.Button8, Qt::LeftButton);

    EXPECT_TRUE(wasModal);
    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("图片大小调整成功！")});
    EXPECT_EQ(mainWindow.ui.Edit3->text(), Target());
    EXPECT_EQ(ItemTexts(*mainWindow.ui.ListBox2), (QStringList{"001.jpg", "002.jpg"}));
    EXPECT_EQ(mainWindow.ui.StatusBar1->PanelText(1), QStringLiteral("共有 2 图片"));
}

TEST_F(ResizeWindowTest, ShowsCentredOnTheMainWindow)
{
    mainWindow.move(150, 100);
    mainWindow.show();
    window.show();
    const QPoint offset = window.geometry().center() - mainWindow.geometry().center();
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << ", " << offset.y();
}

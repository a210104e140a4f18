#include "files/FolderString.h"
#include "support/SavedPhotos.h"
#include "widgets/ListBoxItems.h"
#include "windows/capture/CaptureWindowFixture.h"

#include <QFileInfo>
#include <QImage>
#include <QStringList>

namespace {

class PictureFolderTest : public CaptureWindowTest {
protected:
    // A folder of real photos: a.jpg (427 by 240), b.jpg (128 by 128), and a
    // picture that is no JPEG file.
    QString MakePhotoFolder(const QString& name)
    {
        const QString folder = programDir.filePath(name);
        EXPECT_TRUE(QDir().mkpath(folder));
        EXPECT_TRUE(QFile::copy(TestDataPath("jpeg/photos/obama-240p.jpg"), folder + "/a.jpg"));
        EXPECT_TRUE(QFile::copy(TestDataPath("jpeg/photos/hopper.jpg"), folder + "/b.jpg"));
        WriteFile(folder + "/c.png", "not listed");
        return FolderString(folder);
    }

    void ChooseFolder(const std::optional<QString>& answer)
    {
        dialogs.folderAnswers.push_back(answer);
        QTest::mouseClick(ui().Button11, Qt::LeftButton);
    }

    void Save(const QString& name)
    {
        ui().Edit1->setText(name);
        QTest::mouseClick(ui().Button9, Qt::LeftButton);
    }

    QStringList SavedFiles() const { return QDir(programFolder + "modified").entryList(QDir::Files | QDir::Hidden); }

    // What a save says: the folder "modified" beside the program and the file's name.
    QString SavedMessage(const QString& fileName) const
    {
        return Text("图片保存成功!\n文件夹：") + QDir::toNativeSeparators(programFolder + "modified/")
               + Text("\n文件：") + fileName;
    }
};

} // namespace

TEST_F(PictureFolderTest, ChoosingAFolderListsItsJpegFiles)
{
    const QString first = MakePhotoFolder("first");
    ChooseFolder(first);
    EXPECT_EQ(ui().Edit2->text(), first);
    EXPECT_TRUE(ui().Edit2->text().endsWith(QDir::separator()));
    EXPECT_EQ(ItemTexts(*ui().ListBox1), (QStringList{"a.jpg", "b.jpg"}));

    ChooseFolder(std::nullopt); // cancelled
    EXPECT_EQ(ui().Edit2->text(), first);
    EXPECT_EQ(ItemTexts(*ui().ListBox1), (QStringList{"a.jpg", "b.jpg"}));

    const QString second = programDir.filePath("second");
    ASSERT_TRUE(QDir().mkpath(second));
    WriteFile(second + "/z.jpg", "z");
    ChooseFolder(FolderString(second));
    EXPECT_EQ(ui().Edit2->text(), FolderString(second));
    EXPECT_EQ(ItemTexts(*ui().ListBox1), QStringList{"z.jpg"});

    ChooseFolder(first);
    ChooseFolder(first);
    EXPECT_EQ(ItemTexts(*ui().ListBox1), (QStringList{"a.jpg", "b.jpg"}));
    // The picker opens at the folder chosen last.
    EXPECT_EQ(dialogs.startFolders, (QStringList{"", first, first, FolderString(second), first}));
    // Refilling the list loads nothing by itself.
    EXPECT_EQ(ui().Image2->Picture().Graphic(), nullptr);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(PictureFolderTest, ClickingANameShowsThePictureAtHalfSize)
{
    ChooseFolder(MakePhotoFolder("photos"));
    window->show();
    QListWidgetItem* a = ui().ListBox1->item(0);
    QTest::mouseClick(ui().ListBox1->viewport(), Qt::LeftButton, {}, ui().ListBox1->visualItemRect(a).center());

    EXPECT_EQ(ui().Image2->geometry(), QRect(8, 8, 213, 120));
    EXPECT_EQ(ui().Image2->Picture().Width(), 213);
    EXPECT_NE(dynamic_cast<TBitmap*>(ui().Image2->Picture().Graphic()), nullptr);
    EXPECT_EQ(window->CropRect(), (TRect{112, 64, 232, 244}));
    for (QPushButton* button : EditingButtons())
        EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();
    EXPECT_FALSE(ui().Button3->isEnabled());

    // The keyboard changes the selection too.
    QTest::keyClick(ui().ListBox1, Qt::Key_Down);
    EXPECT_EQ(ui().Image2->geometry(), QRect(8, 8, 64, 64));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // A click on the highlighted name loads it again: after a zoom, and after
    // closing (which empties the picture area) and reopening.
    const QPoint b = ui().ListBox1->visualItemRect(ui().ListBox1->item(1)).center();
    for (QPushButton* before : {ui().Button4, ui().Button10}) {
        QTest::mouseClick(before, Qt::LeftButton);
        window->show();
        QTest::mouseClick(ui().ListBox1->viewport(), Qt::LeftButton, {}, b);
        EXPECT_EQ(ui().Image2->Picture().Width(), 64) << before->objectName().toStdString();
    }
}

TEST_F(PictureFolderTest, AutomaticPlacingPutsTheFaceUnderTheFrameOrSaysThereIsNone)
{
    const QString folder = MakePhotoFolder("photos");
    ASSERT_TRUE(QFile::copy(TestDataPath("jpeg/libjpeg-turbo/testorig.jpg"), folder + "d.jpg"));
    ChooseFolder(folder);
    window->show();
    auto placeAutomatically = [this](int row) {
        const QRect item = ui().ListBox1->visualItemRect(ui().ListBox1->item(row));
        QTest::mouseClick(ui().ListBox1->viewport(), Qt::LeftButton, {}, item.center());
        QTest::mouseClick(ui().autoFrameButton, Qt::LeftButton);
    };
    placeAutomatically(2); // d.jpg: no face
    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("图片中未找到人脸！")});
    EXPECT_EQ(ui().Image2->geometry(), QRect(8, 8, 113, 74));

    // a.jpg's face is smaller than half the frame: the picture grows and
    // moves so that the frame lies over the crop rectangle.
    placeAutomatically(0);
    EXPECT_GT(ui().Image2->Picture().Width(), 213);
    EXPECT_EQ(ui().Image2->size(), QSize(ui().Image2->Picture().Width(), ui().Image2->Picture().Height()));
    EXPECT_EQ(ui().Image2->pos() + QPoint(window->CropRect().Left, window->CropRect().Top), ui().Shape1->pos());
    EXPECT_EQ(dialogs.messages.size(), 1);
}

TEST_F(PictureFolderTest, APictureThatCannotBeLoadedOnlyMovesTheArea)
{
    const QString folder = MakePhotoFolder("photos");
    WriteFile(folder + "bitmap.jpg", ReadFile(TestDataPath("bmpsuite/g/rgb24.bmp")));
    WriteFile(folder + "broken.jpg", QByteArray()); // decoding fails
    ChooseFolder(folder);
    ASSERT_EQ(ItemTexts(*ui().ListBox1), (QStringList{"a.jpg", "b.jpg", "bitmap.jpg", "broken.jpg"}));

    // Before any picture: nothing but place and size change.
    ASSERT_TRUE(QFile::remove(folder + "a.jpg"));
    ui().ListBox1->setCurrentRow(0);
    EXPECT_EQ(ui().Image2->geometry(), QRect(8, 8, 320, 290));
    EXPECT_EQ(ui().Image2->Picture().Graphic(), nullptr);
    EXPECT_EQ(window->CropRect(), (TRect{0, 0, 0, 0}));
    EXPECT_FALSE(ui().Button4->isEnabled());

    // With a picture shown and moved: the picture and the crop stay.
    ui().ListBox1->setCurrentRow(1);
    ASSERT_EQ(ui().Image2->size(), QSize(64, 64));
    DragWithMouse(ui().Image2, QPoint(10, 10), QPoint(30, 20));
    const TRect moved = window->CropRect();
    for (const int row : {2, 3}) {
        ui().ListBox1->setCurrentRow(row);
        EXPECT_EQ(ui().Image2->geometry(), QRect(8, 8, 320, 290)) << row;
        EXPECT_EQ(window->CropRect(), moved) << row;
    }
    EXPECT_TRUE(ui().Button4->isEnabled());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(PictureFolderTest, SavingWritesAJpegOfThePreviewUnderTheNameAsTypedAndReplacesAnEarlierOne)
{
    MakeOutputFolder();
    StartAndGrab(SyntheticCameraSource::TestPattern(640, 480));
    QTest::mouseClick(ui().Button8, Qt::LeftButton);
    const QImage preview = ImageOf(ui().Image3->Picture().Bitmap());
    const QString name = Text("  张三 "); // blanks around it do not make it empty
    Save(name);
    const QByteArray first = ReadFile(OutputFile(name));
    // JPEG by what it holds (decoding throws for anything else), near the
    // preview as quality 90 keeps the test pattern's hard edges, no time of
    // its own.
    const std::unique_ptr<TBitmap> decoded = DecodedJpegFile(OutputFile(name));
    ASSERT_EQ(QSize(decoded->Width(), decoded->Height()), QSize(120, 180));
    const double fromPreview = MeanDifference(ImageOf(*decoded), preview);
    EXPECT_LT(fromPreview, 10.0);
    EXPECT_EQ(CaptureTimeOf(first), std::nullopt);
    EXPECT_EQ(ui().Edit1->text(), QString());
    EXPECT_EQ(ui().Image3->Picture().Graphic(), nullptr);
    EXPECT_TRUE(ui().Button9->isEnabled());

    QTest::mouseClick(ui().Button6, Qt::LeftButton); // something else under the frame
    QTest::mouseClick(ui().Button8, Qt::LeftButton);
    const QImage turned = ImageOf(ui().Image3->Picture().Bitmap());
    Save(name);
    const QByteArray second = ReadFile(OutputFile(name));
    EXPECT_TRUE(second.startsWith("\xFF\xD8"));
    EXPECT_NE(second, first);
    EXPECT_GT(MeanDifference(ImageOf(*decoded), turned), 3 * fromPreview) << fromPreview;
    EXPECT_EQ(SavedFiles(), QStringList{name + ".jpg"});
    // The message says where the file went.
    EXPECT_EQ(dialogs.messages, QStringList(2, SavedMessage(name + ".jpg")));
}

TEST_F(PictureFolderTest, NamesThatCannotBeSavedWriteNothing)
{
    StartAndGrab(SyntheticCameraSource::TestPattern(640, 480));
    Save(Text("张三")); // nothing cropped yet
    EXPECT_EQ(dialogs.messages.value(0), Text("请先剪切图片！"));

    QTest::mouseClick(ui().Button8, Qt::LeftButton);
    // A file where the folder "modified" should be: it cannot be made.
    WriteFile(programFolder + "modified", "in the way");
    const QString wrongName = Text("输入图片名称不对！\n\n出错原因：");
    const struct {
        const char* name;
        QString message;
    } cases[] = {
        {"张三", wrongName + "无法建立文件夹 " + QDir::toNativeSeparators(programFolder + "modified/")},
        {"", Text("请输入图片名称！")},
        {" \t  ", Text("请输入图片名称！")},
        // every unsafe name is tried on IsPlainFileName
        {"../escaped", wrongName + Text("图片名称不能含有 / \\ < > : \" | ? * 或控制字符，也不能是 . 或 ..")},
    };
    for (const auto& c : cases) {
        dialogs.messages.clear();
        Save(Text(c.name));
        EXPECT_EQ(dialogs.messages, QStringList{c.message}) << c.name;
        EXPECT_EQ(ui().Edit1->text(), Text(c.name));
        EXPECT_NE(ui().Image3->Picture().Graphic(), nullptr);
    }
    EXPECT_FALSE(QFile::exists(programFolder + "escaped.jpg"));
}

TEST_F(PictureFolderTest, AFreshProgramFolderGetsItsOutputFolderAtTheFirstSaveAndEnterSaves)
{
    window->show();
    StartAndGrab(SyntheticCameraSource::TestPattern(640, 480));
    QTest::mouseClick(ui().Button8, Qt::LeftButton);
    ASSERT_FALSE(QFileInfo::exists(programFolder + "modified"));
    ui().Edit1->setText(Text("李四"));
    QTest::keyClick(ui().Edit1, Qt::Key_Return);
    EXPECT_EQ(dialogs.messages, QStringList{SavedMessage(Text("李四.jpg"))});
    EXPECT_EQ(SavedFiles(), QStringList{Text("李四.jpg")});
    EXPECT_EQ(ui().Edit1->text(), QString());
    EXPECT_TRUE(window->isVisible()); // Enter does not close the window either
}

// The capture window's photo day ("按名单拍照") with the synthetic camera:
// grab, save and next, absent, retake, jump, the keys, resuming after the
// window was closed, and handing the folder over.
#include "assignment/input/Roster.h"
#include "assignment/views/Thumbnail.h"
#include "photoday/PhotoDaySession.h"
#include "widgets/ListBoxItems.h"
#include "windows/capture/CaptureWindowFixture.h"

#include <QImage>
#include <QSignalSpy>

#include <stdexcept>

namespace {

class PhotoDayWindow : public CaptureWindowTest {
protected:
    void SetUp() override
    {
        CaptureWindowTest::SetUp();
        outputFolder = programFolder + "day";
        window->UseRosterReader(ReadRoster);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QTest::mouseClick(ui().Button1, Qt::LeftButton);
    }

    void StartDay(const QByteArray& roster = "001\r\n002\r\n003\r\n004\r\n005\r\n")
    {
        WriteFile(programFolder + "roster.txt", roster);
        dialogs.fileAnswers.push_back(programFolder + "roster.txt");
        dialogs.folderAnswers.push_back(outputFolder);
        QTest::mouseClick(ui().Button13, Qt::LeftButton);
    }

    // A frame that tells the students apart: its whole colour.
    void Fill(int student)
    {
        QImage frame(640, 480, QImage::Format_RGB32);
        frame.fill(qRgb(10 * student, 200 - 10 * student, 40));
        camera.SetFrame(frame);
    }
    void GrabAndSave(int student)
    {
        Fill(student);
        QTest::mouseClick(ui().Button3, Qt::LeftButton);
        QTest::mouseClick(ui().Button14, Qt::LeftButton);
    }
    // The colour of the photo saved for `code`, or an invalid colour.
    QColor SavedColour(const QString& code) const
    {
        const QImage saved(outputFolder + "/" + code + ".jpg");
        return saved.isNull() ? QColor() : saved.pixelColor(60, 90);
    }
    static QColor Colour(int student) { return QColor(10 * student, 200 - 10 * student, 40); }

    QString outputFolder;
};

TEST_F(PhotoDayWindow, SavesEachStudentAsCodeJpgAbsentRetakeAndJump)
{
    StartDay();
    ASSERT_NE(window->PhotoDay(), nullptr) << dialogs.messages.join('\n').toStdString();
    EXPECT_EQ(ui().Label4->text(), Text("第 1 / 5 名　001"));
    EXPECT_TRUE(ui().Button14->isVisible());
    EXPECT_FALSE(ui().Edit1->isVisible());

    // Saving needs a picture.
    QTest::mouseClick(ui().Button14, Qt::LeftButton);
    EXPECT_EQ(dialogs.messages, QStringList{Text("请先获取图片！")});
    EXPECT_EQ(window->PhotoDay()->Position(), 0);

    GrabAndSave(1);
    EXPECT_EQ(ui().Label4->text(), Text("第 2 / 5 名　002"));
    EXPECT_EQ(SavedColour("001"), Colour(1));
    // The next student starts from nothing: the last picture cannot be saved again.
    EXPECT_EQ(ui().Image2->Picture().Graphic(), nullptr);
    QTest::mouseClick(ui().Button14, Qt::LeftButton);
    EXPECT_EQ(dialogs.messages.size(), 2);
    EXPECT_FALSE(QFile::exists(outputFolder + "/002.jpg"));

    QTest::mouseClick(ui().Button15, Qt::LeftButton); // 002 absent
    GrabAndSave(3);
    // 重拍: back to 003, a new picture replaces the first.
    QTest::mouseClick(ui().Button16, Qt::LeftButton);
    EXPECT_EQ(ui().Label4->text(), Text("第 3 / 5 名　003"));
    GrabAndSave(13);
    EXPECT_EQ(SavedColour("003"), Colour(13));

    // A click on the roster goes to that student.
    QTest::mouseClick(ui().ListBox1->viewport(), Qt::LeftButton, {},
                      ui().ListBox1->visualItemRect(ui().ListBox1->item(4)).center());
    EXPECT_EQ(ui().Label4->text(), Text("第 5 / 5 名　005"));
    GrabAndSave(5);
    EXPECT_EQ(ui().Label4->text(), Text("名单已拍完（共 5 名）"));
    EXPECT_EQ(dialogs.messages.last(),
              Text("名单上的学生都已轮到：已拍 3 名，缺席 1 名：002，还有 1 名没有拍。点击“交给主窗口”设置照片。"));
    EXPECT_EQ(ItemTexts(*ui().ListBox1),
              (QStringList{Text("√ 001"), Text("缺 002"), Text("√ 003"), Text("　 004"), Text("√ 005")}));
    EXPECT_EQ(QDir(outputFolder).entryList({"*.jpg"}), (QStringList{"001.jpg", "003.jpg", "005.jpg"}));
    // The window's saves are BMP data under a .jpg name.
    EXPECT_TRUE(ReadFile(outputFolder + "/005.jpg").startsWith("BM"));
}

TEST_F(PhotoDayWindow, KeysGrabSaveAndSkip)
{
    StartDay();
    ASSERT_NE(window->PhotoDay(), nullptr);
    Fill(1);
    QTest::keyClick(window.get(), Qt::Key_Space);
    ASSERT_NE(ui().Image2->Picture().Graphic(), nullptr);
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_EQ(SavedColour("001"), Colour(1));
    QTest::keyClick(window.get(), Qt::Key_S);
    EXPECT_EQ(window->PhotoDay()->StateOf(1), PhotoDaySession::State::Absent);
    EXPECT_EQ(window->PhotoDay()->Position(), 2);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('\n').toStdString();
}

TEST_F(PhotoDayWindow, AClosedWindowResumesAndHandsTheFolderOver)
{
    StartDay();
    GrabAndSave(1);
    QTest::mouseClick(ui().Button15, Qt::LeftButton);
    GrabAndSave(3);
    window->close();
    EXPECT_EQ(window->PhotoDay(), nullptr);
    EXPECT_TRUE(!ui().Button13->isHidden() && ui().Button14->isHidden());

    // The progress file says where it stopped.
    const QByteArray progress = ReadFile(outputFolder + "/" + PhotoDaySession::kSessionFileName);
    EXPECT_TRUE(progress.contains("\"position\": 3")) << progress.toStdString();

    window->show();
    QTest::mouseClick(ui().Button1, Qt::LeftButton);
    StartDay();
    ASSERT_NE(window->PhotoDay(), nullptr);
    EXPECT_EQ(dialogs.messages.last(), Text("接着上次的进度拍照：已拍 2 名，缺席 1 名。"));
    EXPECT_EQ(ui().Label4->text(), Text("第 4 / 5 名　004"));
    GrabAndSave(4);
    GrabAndSave(5);

    QSignalSpy handed(window.get(), &TFrmGetPic::PhotoDayHandedOver);
    QTest::mouseClick(ui().Button17, Qt::LeftButton);
    ASSERT_EQ(handed.size(), 1);
    EXPECT_EQ(QDir(handed[0][0].toString()), QDir(outputFolder));
    EXPECT_EQ(dialogs.messages.last(),
              Text("名单上的学生都已轮到：已拍 4 名，缺席 1 名：002。照片文件夹已交给主窗口，按文件名对应学籍号。"));
    EXPECT_FALSE(window->isVisible());
    for (const int student : {1, 3, 4, 5})
        EXPECT_EQ(SavedColour(QStringLiteral("00%1").arg(student)), Colour(student)) << student;
    EXPECT_FALSE(QFile::exists(outputFolder + "/002.jpg"));
}

TEST_F(PhotoDayWindow, ShowsEachStudentsNameAndCurrentSitePhotoBesideTheCamera)
{
    // 001 has a photo on the site, 002 none, 003 a file that is no picture;
    // 004 and 005 have no row in the table.
    QImage current(120, 180, QImage::Format_RGB32);
    current.fill(Qt::blue);
    ASSERT_TRUE(current.save(programFolder + "site-001.jpg", "JPEG"));
    WriteFile(programFolder + "site-003.jpg", "not a picture");
    QStringList askedFor;
    window->UseThumbnails(MakeThumbnail);
    window->UseStudentLookup([&](const QStringList& codes) {
        askedFor = codes;
        return QHash<QString, StudentCard>{{"001", {Text("张伟"), programFolder + "site-001.jpg"}},
                                           {"002", {Text("李娜"), {}}},
                                           {"003", {{}, programFolder + "site-003.jpg"}}};
    });
    const auto surfaceWidth = [this] { return window->findChild<QWidget*>("Surface")->width(); };
    const int plainWidth = surfaceWidth();
    StartDay();
    ASSERT_NE(window->PhotoDay(), nullptr);
    EXPECT_EQ(askedFor, (QStringList{"001", "002", "003", "004", "005"})) << "one lookup for the roster";
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('\n').toStdString();

    // The panel stands beside the picture area, on a surface grown to hold it.
    EXPECT_TRUE(ui().GroupBox3->isVisible());
    EXPECT_GE(ui().GroupBox3->x(), ui().GroupBox2->geometry().right());
    EXPECT_GE(surfaceWidth(), ui().GroupBox3->geometry().right());
    EXPECT_GT(surfaceWidth(), plainWidth);
    EXPECT_EQ(ui().Label6->text(), Text("张伟"));
    ASSERT_FALSE(ui().Image4->pixmap().isNull());
    const QImage shown = ui().Image4->pixmap().toImage();
    EXPECT_LT(qAbs(QColor(shown.pixel(shown.width() / 2, shown.height() / 2)).blue() - 255), 8);
    EXPECT_EQ(ItemTexts(*ui().ListBox1).first(), Text("　 001　张伟"));

    GrabAndSave(1);
    EXPECT_EQ(ui().Label6->text(), Text("李娜"));
    EXPECT_TRUE(ui().Image4->pixmap().isNull());
    EXPECT_EQ(ui().Label8->text(), Text("网站上还没有这名学生的照片。"));
    QTest::mouseClick(ui().Button15, Qt::LeftButton);
    EXPECT_EQ(ui().Label6->text(), QString());
    EXPECT_TRUE(ui().Image4->pixmap().isNull());
    EXPECT_TRUE(ui().Label8->text().startsWith(Text("网站上的照片无法显示："))) << ui().Label8->text().toStdString();
    GrabAndSave(3);
    EXPECT_EQ(ui().Label8->text(), Text("学生表中没有这个学籍号：004"));
    // The next student's photo never stays from the one before.
    EXPECT_TRUE(ui().Image4->pixmap().isNull());

    // Without a photo day the window is as it was.
    window->close();
    EXPECT_FALSE(ui().GroupBox3->isVisible());
    EXPECT_EQ(surfaceWidth(), plainWidth);
}

TEST_F(PhotoDayWindow, ASiteThatCannotBeReadLeavesTheDayToTheCodes)
{
    window->UseStudentLookup([](const QStringList&) -> QHash<QString, StudentCard> {
        throw std::runtime_error("还没有选择网站的安装文件夹。");
    });
    StartDay();
    ASSERT_NE(window->PhotoDay(), nullptr);
    EXPECT_EQ(
        dialogs.messages,
        QStringList{Text("无法读取学生在网站上的姓名和现有照片，照常按名单拍照。\n还没有选择网站的安装文件夹。")});
    EXPECT_EQ(ui().Label8->text(), Text("没有读取网站上的学生信息。"));
    GrabAndSave(1);
    EXPECT_EQ(SavedColour("001"), Colour(1));
    EXPECT_EQ(ui().Label4->text(), Text("第 2 / 5 名　002"));
}

TEST_F(PhotoDayWindow, ARosterThatCannotNamePhotosIsRefused)
{
    StartDay("001\n../x\n");
    EXPECT_EQ(window->PhotoDay(), nullptr);
    EXPECT_EQ(dialogs.messages, QStringList{Text("名单第 2 行的学籍号“../x”不能用作图片文件名")});
    EXPECT_FALSE(ui().Button14->isVisible());
}

} // namespace

// The photo day's window with the synthetic camera: grab, save and next,
// absent, retake, jump, the keys, the framing at the grab and the preview of
// what is saved, the checks beside it, resuming after the window was closed,
// the camera taken, let go and restarted, the cards, and the hand-over.
#include "assignment/input/Roster.h"
#include "assignment/views/Thumbnail.h"
#include "faces/FaceDetector.h"
#include "faces/LabelledFaces.h"
#include "photoday/PhotoDaySession.h"
#include "picture/TBitmap.h"
#include "picture/TCanvas.h"
#include "platform/camera/SyntheticCameraSource.h"
#include "support/CameraFrames.h"
#include "support/CardImages.h"
#include "support/MouseDrag.h"
#include "support/QtPrinters.h"
#include "support/RecordingDialogs.h"
#include "support/SavedPhotos.h"
#include "support/TestFiles.h"
#include "widgets/ListBoxItems.h"
#include "widgets/WindowControls.h"
#include "windows/photoday/PhotoDay.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

namespace {

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

const QString kNoFace = Text("没有找到人脸");

// Waits for `done` while the window's events go on; false after ten
// seconds (the checks and card looks take a fraction of a second).
bool WaitFor(const std::function<bool()>& done)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > 10'000)
            return false;
        QTest::qWait(10);
    }
    return true;
}

class PhotoDayWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(programDir.isValid());
        programFolder = programDir.path() + QDir::separator();
        outputFolder = programFolder + "day";
        window = std::make_unique<TFrmPhotoDay>(dialogs, camera, programFolder);
        window->UseRosterReader(ReadRoster);
    }

    Ui::TFrmPhotoDay& ui() { return Controls(*window); }

    void StartDay(const QByteArray& roster = "001\r\n002\r\n003\r\n004\r\n005\r\n")
    {
        WriteFile(programFolder + "roster.txt", roster);
        dialogs.fileAnswers.push_back(programFolder + "roster.txt");
        dialogs.folderAnswers.push_back(outputFolder);
        window->StartDay();
        if (window->isVisible()) {
            ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        }
    }

    // A frame that tells the students apart: its whole colour. It shows no
    // face: saving it asks, and the tests answer.
    void Fill(int student)
    {
        QImage frame(640, 480, QImage::Format_RGB32);
        frame.fill(qRgb(10 * student, 200 - 10 * student, 40));
        camera.SetFrame(frame);
    }
    void GrabAndSave(int student)
    {
        Fill(student);
        QTest::mouseClick(ui().grabButton, Qt::LeftButton);
        dialogs.confirmAnswers.push_back(true); // "照片有问题，仍然保存吗？"
        QTest::mouseClick(ui().saveNextButton, Qt::LeftButton);
    }
    // The colour of the photo saved for `code`, or an invalid colour.
    // Whether the photo saved for `code` is a JPEG file of the student's colour.
    testing::AssertionResult SavedAs(const QString& code, int student) const
    {
        const QByteArray file = ReadFile(outputFolder + "/" + code + ".jpg");
        if (!file.startsWith("\xFF\xD8"))
            return testing::AssertionFailure() << code.toStdString() << ".jpg holds no JPEG data";
        return NearColour(QImage::fromData(file, "JPEG").pixelColor(60, 90), Colour(student));
    }
    static QColor Colour(int student) { return QColor(10 * student, 200 - 10 * student, 40); }

    // The preview's pixels as a picture, to hold against a saved file.
    QImage PreviewImage() { return ImageOf(ui().framedPreview->Picture().Bitmap()); }
    bool WaitForVerdict()
    {
        return WaitFor([this] { return window->Verdict().has_value(); });
    }

    QTemporaryDir programDir;
    QString programFolder;
    QString outputFolder;
    RecordingDialogs dialogs;
    SyntheticCameraSource camera;
    std::unique_ptr<TFrmPhotoDay> window;
};

TEST_F(PhotoDayWindow, SavesEachStudentsPhotoAndFrameAbsentRetakeAndJump)
{
    StartDay();
    ASSERT_NE(window->Day(), nullptr) << dialogs.messages.join('\n').toStdString();
    EXPECT_TRUE(window->isVisible() && window->isModal());
    EXPECT_EQ(ui().positionLabel->text(), Text("第 1 / 5 名　001"));
    EXPECT_EQ(ui().outputFolderEdit->text(), QDir::toNativeSeparators(QDir::cleanPath(outputFolder) + "/"));
    EXPECT_EQ(ui().rosterLabel->text(), Text("名单：roster.txt（5 名）"));
    EXPECT_FALSE(ui().retakeButton->isEnabled());

    // Saving needs a picture.
    QTest::mouseClick(ui().saveNextButton, Qt::LeftButton);
    EXPECT_EQ(dialogs.messages, QStringList{Text("请先获取图片！")});
    EXPECT_EQ(window->Day()->Position(), 0);

    GrabAndSave(1);
    // The frame shows no face: asked once, and saved when the answer is yes.
    EXPECT_EQ(dialogs.questions, QStringList{Text("照片有问题，仍然保存吗？\n\n") + kNoFace});
    EXPECT_EQ(dialogs.acceptTexts, QStringList{Text("仍然保存")});
    EXPECT_EQ(ui().positionLabel->text(), Text("第 2 / 5 名　002"));
    EXPECT_TRUE(SavedAs("001", 1));
    // The camera's whole frame beside it.
    EXPECT_EQ(QImage(outputFolder + "/原图/001.jpg").size(), QSize(640, 480));
    // The next student starts from nothing: the last picture cannot be saved again.
    EXPECT_EQ(ui().pictureArea->Picture().Graphic(), nullptr);
    EXPECT_EQ(ui().framedPreview->Picture().Graphic(), nullptr);
    EXPECT_EQ(ui().checksLabel->text(), QString());
    QTest::mouseClick(ui().saveNextButton, Qt::LeftButton);
    EXPECT_EQ(dialogs.messages.size(), 2);
    EXPECT_FALSE(QFile::exists(outputFolder + "/002.jpg"));

    // "No" to the question saves nothing.
    Fill(2);
    QTest::mouseClick(ui().grabButton, Qt::LeftButton);
    dialogs.confirmAnswers.push_back(false);
    QTest::mouseClick(ui().saveNextButton, Qt::LeftButton);
    EXPECT_EQ(window->Day()->Position(), 1);
    EXPECT_FALSE(QFile::exists(outputFolder + "/002.jpg"));

    QTest::mouseClick(ui().absentButton, Qt::LeftButton); // 002 absent
    GrabAndSave(3);
    // 重拍: back to 003, a new picture replaces the first, photo and frame.
    QTest::mouseClick(ui().retakeButton, Qt::LeftButton);
    EXPECT_EQ(ui().positionLabel->text(), Text("第 3 / 5 名　003"));
    GrabAndSave(13);
    EXPECT_TRUE(SavedAs("003", 13));
    EXPECT_TRUE(NearColour(QImage(outputFolder + "/原图/003.jpg").pixelColor(320, 240), Colour(13)));

    // A click on the roster goes to that student.
    QTest::mouseClick(ui().rosterList->viewport(), Qt::LeftButton, {},
                      ui().rosterList->visualItemRect(ui().rosterList->item(4)).center());
    EXPECT_EQ(ui().positionLabel->text(), Text("第 5 / 5 名　005"));
    GrabAndSave(5);
    EXPECT_EQ(ui().positionLabel->text(), Text("名单已拍完（共 5 名）"));
    EXPECT_FALSE(ui().saveNextButton->isEnabled() || ui().absentButton->isEnabled() || ui().grabButton->isEnabled());
    EXPECT_EQ(dialogs.messages.last(), Text("名单上的学生都已轮到：已拍 3 名（其中 3 名的照片有问题仍保存），缺席 1 "
                                            "名：002，还有 1 名没有拍。点击“交给主窗口”设置照片。"));
    EXPECT_EQ(ItemTexts(*ui().rosterList),
              (QStringList{Text("！ 001"), Text("缺 002"), Text("！ 003"), Text("　 004"), Text("！ 005")}));
    EXPECT_EQ(QDir(outputFolder).entryList({"*.jpg"}), (QStringList{"001.jpg", "003.jpg", "005.jpg"}));
    EXPECT_EQ(QDir(outputFolder + "/原图").entryList({"*.jpg"}), (QStringList{"001.jpg", "003.jpg", "005.jpg"}));
}

TEST_F(PhotoDayWindow, TheKeysRunTheDayAndTheHintLineNamesThem)
{
    EXPECT_EQ(ui().keysLabel->text(), Text("空格 拍照　A 自动定位　方向键 移动　+ − 缩放\n回车 保存并下一位　S "
                                           "缺席　退格 退回重拍　Alt+H 交给主窗口"));
    camera.SetFrame(CameraFrameShowing(QImage(TestDataPath("jpeg/photos/obama.jpg")), 900));
    StartDay();
    ASSERT_NE(window->Day(), nullptr);
    QTest::keyClick(window.get(), Qt::Key_Space);
    ASSERT_NE(ui().pictureArea->Picture().Graphic(), nullptr);
    const QImage framed = PreviewImage();
    const QPoint framedAt = ui().pictureArea->pos();
    // Arrows move the frame over the picture (the picture goes the other
    // way under it), + and − zoom about its centre, A frames the face again.
    QTest::keyClick(window.get(), Qt::Key_Left);
    EXPECT_EQ(ui().pictureArea->pos(), framedAt + QPoint(2, 0));
    QTest::keyClick(window.get(), Qt::Key_Down);
    EXPECT_EQ(ui().pictureArea->pos(), framedAt + QPoint(2, -2));
    EXPECT_NE(PreviewImage(), framed);
    const QSize framedSize = ui().pictureArea->size();
    QTest::keyClick(window.get(), Qt::Key_Plus);
    EXPECT_GT(ui().pictureArea->width(), framedSize.width());
    QTest::keyClick(window.get(), Qt::Key_Minus);
    EXPECT_EQ(ui().pictureArea->size(), framedSize);
    QTest::keyClick(window.get(), Qt::Key_A);
    EXPECT_LE((ui().pictureArea->pos() - framedAt).manhattanLength(), 12);
    const QImage reframed = PreviewImage();
    // Enter saves the framed shot, which passed its checks without a question.
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_TRUE(dialogs.questions.isEmpty()) << dialogs.questions.join('\n').toStdString();
    // As JPEG at quality 90 keeps it: close to the preview's every pixel.
    const QImage saved = QImage(outputFolder + "/001.jpg").convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(saved.size(), reframed.size());
    EXPECT_LT(MeanDifference(saved, reframed), 3.0);
    QTest::keyClick(window.get(), Qt::Key_S);
    EXPECT_EQ(window->Day()->StateOf(1), PhotoDaySession::State::Absent);
    EXPECT_EQ(window->Day()->Position(), 2);
    // Backspace goes back for a retake.
    QTest::keyClick(window.get(), Qt::Key_Backspace);
    EXPECT_EQ(window->Day()->Position(), 1);
    QTest::keyClick(window.get(), Qt::Key_S);
    // Keys on the roster are the day's too, not a search of its lines.
    ui().rosterList->setFocus();
    QTest::keyClick(ui().rosterList, Qt::Key_S);
    EXPECT_EQ(window->Day()->Position(), 3);
    // A key held down acts once: its repeats grab, save and skip nothing.
    for (const auto& [key, text] :
         {std::pair{Qt::Key_S, "s"}, std::pair{Qt::Key_Space, " "}, std::pair{Qt::Key_Return, "\r"}}) {
        QTest::simulateEvent(window.get(), true, key, Qt::NoModifier, QString::fromLatin1(text), /*repeat*/ true);
        QTest::simulateEvent(window.get(), false, key, Qt::NoModifier, QString::fromLatin1(text), /*repeat*/ true);
    }
    EXPECT_EQ(window->Day()->Position(), 3);
    EXPECT_EQ(window->Day()->StateOf(3), PhotoDaySession::State::Waiting);
    EXPECT_EQ(ui().pictureArea->Picture().Graphic(), nullptr);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('\n').toStdString();
}

TEST_F(PhotoDayWindow, ThePreviewAlwaysShowsWhatIsSaved)
{
    StartDay();
    camera.SetFrame(SyntheticCameraSource::TestPattern(640, 480));
    QTest::mouseClick(ui().grabButton, Qt::LeftButton);
    for (QPushButton* button :
         {ui().zoomInButton, ui().zoomOutButton, ui().turnLeftButton, ui().turnRightButton, ui().autoFrameButton})
        EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();
    ASSERT_NE(ui().framedPreview->Picture().Graphic(), nullptr);
    const QImage grabbed = PreviewImage();

    // Dragged, zoomed and turned, the preview follows every step.
    DragWithMouse(ui().cropFrame, QPoint(60, 90), QPoint(80, 100));
    const QImage dragged = PreviewImage();
    EXPECT_NE(dragged, grabbed);
    QTest::mouseClick(ui().zoomInButton, Qt::LeftButton);
    const QImage zoomed = PreviewImage();
    EXPECT_NE(zoomed, dragged);
    QTest::mouseClick(ui().turnRightButton, Qt::LeftButton);
    const QImage turned = PreviewImage();
    EXPECT_NE(turned, zoomed);

    dialogs.confirmAnswers.push_back(true); // the test pattern shows no face
    QTest::keyClick(window.get(), Qt::Key_Return);
    // As JPEG keeps the test pattern's hard edges: near the last preview,
    // far nearer than to any before it.
    const QImage saved = QImage(outputFolder + "/001.jpg").convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(saved.size(), QSize(120, 180));
    const double fromTurned = MeanDifference(saved, turned);
    EXPECT_LT(fromTurned, 10.0);
    for (const QImage* earlier : {&grabbed, &dragged, &zoomed})
        EXPECT_GT(MeanDifference(saved, *earlier), 3 * fromTurned) << fromTurned;
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('\n').toStdString();
}

TEST_F(PhotoDayWindow, EveryGrabIsFramedOnTheFaceAtOnce)
{
    // The portrait before a grey wall, as a camera's 1920 x 1080 frame.
    camera.SetFrame(CameraFrameShowing(QImage(TestDataPath("jpeg/photos/obama.jpg")), 900));
    StartDay();
    QTest::keyClick(window.get(), Qt::Key_Space);
    ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('\n').toStdString();
    QTest::keyClick(window.get(), Qt::Key_Return);

    // The face is found again in the saved photo, centred across it and
    // about half its height.
    const std::unique_ptr<TBitmap> saved = DecodedJpegFile(outputFolder + "/001.jpg");
    FaceDetector faces;
    const std::optional<TRect> face = faces.LargestFace(*saved);
    ASSERT_TRUE(face.has_value());
    EXPECT_NEAR((face->Left + face->Right) / 2.0, 60, 12);
    EXPECT_GT(face->Height(), 50);
    EXPECT_LT(face->Height(), 120);
    // And the whole frame beside it.
    EXPECT_EQ(QImage(outputFolder + "/原图/001.jpg").size(), QSize(1920, 1080));
}

TEST_F(PhotoDayWindow, TheChecksShowBesideThePreviewAndTellTheSitePhotosPerson)
{
    // Real labelled faces: the site holds person 4's first photo for 001
    // and person 9's for 002; the camera shows person 4.
    const auto labelled = [](std::size_t person, std::size_t photo) {
        return QImage(QString::fromStdString(LabelledPhotoFile(person, photo).string()));
    };
    ASSERT_TRUE(Bordered(labelled(4, 0), kLabelledBorder).save(programFolder + "site-4.jpg", "JPEG", 95));
    ASSERT_TRUE(Bordered(labelled(9, 0), kLabelledBorder).save(programFolder + "site-9.jpg", "JPEG", 95));
    window->UseStudentLookup([&](const QStringList&) {
        return QHash<QString, StudentCard>{{"001", {Text("甲"), programFolder + "site-4.jpg"}},
                                           {"002", {Text("乙"), programFolder + "site-9.jpg"}}};
    });
    camera.SetFrame(CameraFrameShowing(labelled(4, 2), 500, qRgb(0, 0, 0)));
    StartDay();
    QTest::keyClick(window.get(), Qt::Key_Space);
    ASSERT_TRUE(WaitForVerdict());
    EXPECT_TRUE(window->Verdict()->Passed()) << window->Verdict()->problems.join('\n').toStdString();
    EXPECT_TRUE(ui().checksLabel->text().contains(Text("可以保存")));
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_TRUE(dialogs.questions.isEmpty());

    // 002 is someone else: said in red, and the save asks.
    QTest::keyClick(window.get(), Qt::Key_Space);
    ASSERT_TRUE(WaitForVerdict());
    EXPECT_EQ(window->Verdict()->problems, QStringList{Text("不像网站上这名学生现有的照片")});
    EXPECT_TRUE(ui().checksLabel->text().contains(Text("color:#c00000\"><b>✗ 不像网站上这名学生现有的照片")))
        << ui().checksLabel->text().toStdString();
    QTest::keyClick(window.get(), Qt::Key_Return);
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(window->Day()->Position(), 1) << "the default answer is no";
    EXPECT_FALSE(QFile::exists(outputFolder + "/002.jpg"));
}

TEST_F(PhotoDayWindow, SpaceStartsTheCameraOrSaysWhyAndAResumedDayRestartsIt)
{
    StartDay();
    EXPECT_TRUE(camera.IsConnected());
    ASSERT_NE(camera.PreviewWindow(), nullptr);
    EXPECT_EQ(camera.PreviewWindow()->parentWidget(), ui().cameraPlace);
    EXPECT_EQ(camera.PreviewWindow()->geometry(), ui().cameraPlace->rect());
    EXPECT_TRUE(ui().grabButton->isEnabled());
    GrabAndSave(1);
    ASSERT_TRUE(QFile::exists(programFolder + "temp.bmp"));

    window->close();
    EXPECT_FALSE(camera.IsConnected());
    EXPECT_FALSE(QFile::exists(programFolder + "temp.bmp"));
    EXPECT_EQ(window->Day(), nullptr);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('\n').toStdString();

    // Resumed, the day starts the camera again and Space grabs at once.
    StartDay();
    EXPECT_TRUE(camera.IsConnected());
    GrabAndSave(2);
    EXPECT_TRUE(SavedAs("002", 2));
    window->close();

    // A preview that cannot be made: said at the start, and Space tries again.
    camera.SetCanMakeWindow(false);
    StartDay();
    const QString noPreview = Text("无法显示摄像头的画面，请关闭其他使用摄像头的程序后按空格再试。");
    EXPECT_TRUE(dialogs.messages.contains(noPreview)) << dialogs.messages.join('\n').toStdString();
    camera.SetCanMakeWindow(true);
    Fill(3);
    QTest::keyClick(window.get(), Qt::Key_Space);
    EXPECT_TRUE(camera.IsConnected());
    EXPECT_NE(ui().pictureArea->Picture().Graphic(), nullptr);
    window->close();

    // Without a camera the day says so, and so does a grab.
    camera.SetCameraPresent(false);
    dialogs.messages.clear();
    StartDay();
    EXPECT_EQ(dialogs.messages,
              (QStringList{Text("没有找到摄像头"),
                           Text("接着上次的进度拍照：已拍 2 名（其中 2 名的照片有问题仍保存），缺席 0 名。")}));
    QTest::keyClick(window.get(), Qt::Key_Space);
    EXPECT_EQ(dialogs.messages.last(), Text("没有找到摄像头"));
    EXPECT_EQ(ui().pictureArea->Picture().Graphic(), nullptr);
}

TEST_F(PhotoDayWindow, AClosedWindowResumesAndTheHandOverAsksFirst)
{
    StartDay();
    GrabAndSave(1);
    QTest::mouseClick(ui().absentButton, Qt::LeftButton);
    GrabAndSave(3);
    window->close();
    EXPECT_EQ(window->Day(), nullptr);
    EXPECT_EQ(ui().rosterList->count(), 0);

    // The progress file says where it stopped.
    const QByteArray progress = ReadFile(outputFolder + "/" + PhotoDaySession::kSessionFileName);
    EXPECT_TRUE(progress.contains("\"position\": 3")) << progress.toStdString();

    StartDay();
    ASSERT_NE(window->Day(), nullptr);
    EXPECT_EQ(dialogs.messages.last(),
              Text("接着上次的进度拍照：已拍 2 名（其中 2 名的照片有问题仍保存），缺席 1 名。"));
    EXPECT_EQ(ui().positionLabel->text(), Text("第 4 / 5 名　004"));
    GrabAndSave(4);

    // The summary first: 取消 keeps the day.
    QSignalSpy handed(window.get(), &TFrmPhotoDay::PhotoDayHandedOver);
    dialogs.questions.clear();
    dialogs.confirmAnswers.push_back(false);
    QTest::mouseClick(ui().handOverButton, Qt::LeftButton);
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(dialogs.questions[0],
              Text("已拍 3 名（其中 3 名的照片有问题仍保存），缺席 1 名，未轮到 1 名。\n缺席：002\n未轮到：005\n\n"
                   "主窗口将得到这份名单和照片文件夹，按文件名对应照片；缺席的学生在核对表中标为“缺席”。"));
    EXPECT_EQ(dialogs.acceptTexts.last(), Text("继续"));
    EXPECT_TRUE(handed.isEmpty());
    EXPECT_TRUE(window->isVisible());

    // 继续 hands over the roster, the folder and the absent students; Alt+H
    // asks as the button does.
    dialogs.confirmAnswers.push_back(true);
    QTest::keyClick(window.get(), Qt::Key_H, Qt::AltModifier);
    ASSERT_EQ(dialogs.questions.size(), 2);
    ASSERT_EQ(handed.size(), 1);
    const auto handOver = handed[0][0].value<PhotoDayHandOver>();
    EXPECT_EQ(handOver.roster, (QStringList{"001", "002", "003", "004", "005"}));
    EXPECT_EQ(QDir(handOver.photoFolder), QDir(outputFolder));
    EXPECT_EQ(handOver.rosterFile, programFolder + "roster.txt");
    EXPECT_EQ(handOver.absent, QStringList{"002"});
    EXPECT_FALSE(window->isVisible());
    for (const int student : {1, 3, 4})
        EXPECT_TRUE(SavedAs(QStringLiteral("00%1").arg(student), student)) << student;
    EXPECT_FALSE(QFile::exists(outputFolder + "/002.jpg"));
}

TEST_F(PhotoDayWindow, TheRosterIsChosenUnderItsOwnTitleWhereTheSiteIs)
{
    window->UseRosterFolder([this] { return programFolder + "site"; });
    StartDay();
    ASSERT_EQ(dialogs.fileTitles, QStringList{Text("选择名单")});
    EXPECT_EQ(dialogs.startFolders.first(), programFolder + "site");
    // The folder chooser opens beside the roster.
    EXPECT_EQ(QDir(dialogs.startFolders.value(1)), QDir(programFolder));
}

TEST_F(PhotoDayWindow, ACardHeldUpBeforeTheCameraSelectsItsStudent)
{
    const QImage portrait = CameraFrameShowing(QImage(TestDataPath("jpeg/photos/obama.jpg")), 900);
    camera.SetFrame(portrait);
    StartDay();
    ASSERT_NE(window->Day(), nullptr);
    QTest::keyClick(window.get(), Qt::Key_Space);
    ASSERT_NE(ui().pictureArea->Picture().Graphic(), nullptr);

    // Student 004 holds up the card: the day goes to them, the shot taken
    // for 001 is dropped.
    camera.SetFrame(HoldingUp(portrait, QrCardImage("004", 6), {1450, 600}));
    ASSERT_TRUE(WaitFor([this] { return window->Day()->Position() == 3; }));
    EXPECT_EQ(ui().positionLabel->text(), Text("第 4 / 5 名　004"));
    EXPECT_EQ(ui().cardStatusLabel->text(), Text("学生卡：第 4 名 004"));
    EXPECT_EQ(ui().pictureArea->Picture().Graphic(), nullptr);
    // Photographed holding it, and saved; the card still in view selects
    // nothing more: the day goes on to 005.
    QTest::keyClick(window.get(), Qt::Key_Space);
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_TRUE(QFile::exists(outputFolder + "/004.jpg"));
    EXPECT_EQ(window->Day()->Position(), 4);
    QTest::qWait(1000);
    EXPECT_EQ(window->Day()->Position(), 4);

    // A card of another roster is named.
    camera.SetFrame(HoldingUp(portrait, QrCardImage("999", 6), {1450, 600}));
    ASSERT_TRUE(WaitFor([this] { return ui().cardStatusLabel->text() == Text("学生卡 999 不在这份名单上"); }));
    EXPECT_EQ(window->Day()->Position(), 4);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('\n').toStdString();
}

TEST_F(PhotoDayWindow, TheCardsSheetIsWrittenBesideThePhotos)
{
    window->UseStudentLookup([](const QStringList&) {
        return QHash<QString, StudentCard>{{"001", {Text("张伟"), {}}}};
    });
    QStringList opened;
    window->UseFileOpener([&](const QString& path) { opened << path; });
    StartDay();
    QTest::mouseClick(ui().cardsButton, Qt::LeftButton);
    const QString sheet = QDir::cleanPath(outputFolder) + Text("/学生卡.html");
    EXPECT_EQ(opened, QStringList{sheet});
    const QString html = QString::fromUtf8(ReadFile(sheet));
    EXPECT_EQ(html.count("<div class=\"card\">"), 5);
    EXPECT_TRUE(html.contains(Text("<div class=\"name\">张伟</div>")));
    EXPECT_TRUE(dialogs.messages.last().startsWith(Text("学生卡已保存为 ") + QDir::toNativeSeparators(sheet)));
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
    StartDay();
    ASSERT_NE(window->Day(), nullptr);
    EXPECT_EQ(askedFor, (QStringList{"001", "002", "003", "004", "005"})) << "one lookup for the roster";
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('\n').toStdString();

    EXPECT_EQ(ui().studentNameLabel->text(), Text("张伟"));
    ASSERT_FALSE(ui().sitePhotoImage->pixmap().isNull());
    const QImage shown = ui().sitePhotoImage->pixmap().toImage();
    EXPECT_LE(shown.width(), ui().sitePhotoImage->contentsRect().width());
    EXPECT_LT(qAbs(QColor(shown.pixel(shown.width() / 2, shown.height() / 2)).blue() - 255), 8);
    EXPECT_EQ(ItemTexts(*ui().rosterList).first(), Text("　 001　张伟"));

    GrabAndSave(1);
    EXPECT_EQ(ui().studentNameLabel->text(), Text("李娜"));
    EXPECT_TRUE(ui().sitePhotoImage->pixmap().isNull());
    EXPECT_EQ(ui().studentNoteLabel->text(), Text("网站上还没有这名学生的照片。"));
    QTest::mouseClick(ui().absentButton, Qt::LeftButton);
    EXPECT_EQ(ui().studentNameLabel->text(), QString());
    EXPECT_TRUE(ui().studentNoteLabel->text().startsWith(Text("网站上的照片无法显示：")))
        << ui().studentNoteLabel->text().toStdString();
    GrabAndSave(3);
    EXPECT_EQ(ui().studentNoteLabel->text(), Text("学生表中没有这个学籍号：004"));
    // The next student's photo never stays from the one before.
    EXPECT_TRUE(ui().sitePhotoImage->pixmap().isNull());
}

TEST_F(PhotoDayWindow, ASiteThatCannotBeReadLeavesTheDayToTheCodes)
{
    window->UseStudentLookup([](const QStringList&) -> QHash<QString, StudentCard> {
        throw std::runtime_error("还没有选择网站的安装文件夹。");
    });
    StartDay();
    ASSERT_NE(window->Day(), nullptr);
    EXPECT_EQ(
        dialogs.messages,
        QStringList{Text("无法读取学生在网站上的姓名和现有照片，照常按名单拍照。\n还没有选择网站的安装文件夹。")});
    EXPECT_EQ(ui().studentNoteLabel->text(), Text("没有读取网站上的学生信息。"));
    GrabAndSave(1);
    EXPECT_TRUE(SavedAs("001", 1));
    EXPECT_EQ(ui().positionLabel->text(), Text("第 2 / 5 名　002"));
}

TEST_F(PhotoDayWindow, NoWindowWithoutARosterAndAFolderThatServe)
{
    // The roster file cancelled, the folder cancelled, a roster that cannot
    // be read (no folder is asked for), a roster that cannot name photos.
    window->StartDay();
    EXPECT_FALSE(window->isVisible());
    WriteFile(programFolder + "roster.txt", "001\n");
    dialogs.fileAnswers.push_back(programFolder + "roster.txt");
    window->StartDay();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(dialogs.startFolders.size(), 3); // a file, a file and a folder

    WriteFile(programFolder + "bad.txt", QByteArray("001\n\xff\xfe\xfd\n"));
    dialogs.fileAnswers.push_back(programFolder + "bad.txt");
    window->StartDay();
    EXPECT_FALSE(window->isVisible());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.startFolders.size(), 4) << "no folder asked for";

    StartDay("001\n../x\n");
    EXPECT_EQ(window->Day(), nullptr);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(dialogs.messages.last(), Text("名单第 2 行的学籍号“../x”不能用作图片文件名"));
    EXPECT_FALSE(camera.IsConnected());
}

} // namespace

// The windows as the program makes and connects them (ProgramWindows, which
// main.cpp uses): the capture window's "按名单拍照" opens the photo day over
// it on the one camera, the day reads its roster as the main window does and
// looks its students up on the site the main window has chosen, and "交给主窗口"
// reaches the main window with its roster, paired by file name, its absent
// students named in the plan, and the side windows closed.
#include "app/ProgramWindows.h"

#include "assignment/input/Roster.h"
#include "faces/FaceDetector.h"
#include "files/FolderString.h"
#include "photoday/PhotoDaySession.h"
#include "platform/camera/SyntheticCameraSource.h"
#include "platform/settings/InstallationFolderStore.h"
#include "platform/settings/ProgramSettings.h"
#include "support/QtPrinters.h"
#include "support/RecordingDialogs.h"
#include "support/TestFiles.h"
#include "support/TestSite.h"
#include "widgets/ListBoxItems.h"
#include "widgets/WindowControls.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// Keeps the plans it is shown and approves none.
class DecliningReview final : public PlanReview {
public:
    std::optional<AssignmentPlan> Approve(QWidget*, const AssignmentPlan& plan) override
    {
        plans << plan;
        return std::nullopt;
    }
    QList<AssignmentPlan> plans;
};

class ProgramWindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        windows.Form1.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&windows.Form1));
    }

    // Opens the capture window from the main window ("现场采集图片", shown
    // modally) and runs `inside` while it is open; the window is closed
    // afterwards if `inside` left it open.
    void WithCaptureWindow(const std::function<void()>& inside)
    {
        QTimer::singleShot(0, &windows.FrmGetPic, [&] {
            inside();
            if (windows.FrmGetPic.isVisible())
                windows.FrmGetPic.reject();
        });
        QTest::mouseClick(Controls(windows.Form1).Button7, Qt::LeftButton);
    }

    // "按名单拍照" in the capture window, the roster and folder answered.
    void AskForTheDay(const QByteArray& roster)
    {
        dialogs.fileAnswers.push_back(site.WriteScratch("roster.txt", roster));
        dialogs.folderAnswers.push_back(dayFolder);
        QTest::mouseClick(Controls(windows.FrmGetPic).photoDayButton, Qt::LeftButton);
    }

    TestSite site{Backend::SQLite};
    QTemporaryDir temp;
    QString programFolder = FolderString(temp.path());
    QString dayFolder = site.Scratch("day");
    RecordingDialogs dialogs;
    InstallationFolderStore store = InstallationFolderStore::AtFile(temp.filePath("settings.conf"));
    SyntheticCameraSource camera;
    ProgramSettings settings{.odbcDriver = site.OdbcDriver(),
                             .dataFolder = temp.filePath("data"),
                             .faceModel = FaceDetector::DefaultCascadeFile(),
                             .settingsFile = {},
                             .testCamera = {}};
    ProgramWindows windows{dialogs, store, camera, programFolder, {}, settings};
};

TEST_F(ProgramWindowsTest, TheCaptureWindowOpensTheDayWhoseFolderReachesTheMainWindow)
{
    site.AddStudents({"S01", "S02"});
    site.Execute("update studentbaseinfo set name = '张伟' where studentcode = 'S01'");
    Controls(windows.Form1).Edit1->setText(site.Folder());
    Ui::TFrmPhotoDay& day = Controls(windows.FrmPhotoDay);
    bool dayShownOverTheCaptureWindow = false;
    bool cameraCameOver = false;
    bool captureClosedWithTheDay = false;
    QString nameShown;
    WithCaptureWindow([&] {
        QTest::mouseClick(Controls(windows.FrmGetPic).Button1, Qt::LeftButton);
        AskForTheDay("S01\r\nS02\r\n");
        dayShownOverTheCaptureWindow =
            windows.FrmPhotoDay.isVisible() && windows.FrmPhotoDay.isModal() && windows.FrmGetPic.isVisible();
        cameraCameOver = camera.IsConnected() && camera.PreviewWindow()->parentWidget() == day.cameraPlace;
        nameShown = day.studentNameLabel->text();
        QTest::mouseClick(day.grabButton, Qt::LeftButton);
        dialogs.confirmAnswers.push_back(true); // the test pattern shows no face: saved all the same
        QTest::mouseClick(day.saveNextButton, Qt::LeftButton);
        QTest::mouseClick(day.absentButton, Qt::LeftButton);
        dialogs.confirmAnswers.push_back(true); // the hand-over's summary: 继续
        QTest::mouseClick(day.handOverButton, Qt::LeftButton);
        captureClosedWithTheDay = !windows.FrmGetPic.isVisible() && !windows.FrmPhotoDay.isVisible();
    });
    EXPECT_TRUE(dayShownOverTheCaptureWindow);
    EXPECT_TRUE(cameraCameOver);
    EXPECT_EQ(nameShown, Text("张伟"));
    ASSERT_EQ(dialogs.questions.size(), 2);
    EXPECT_TRUE(
        dialogs.questions[1].startsWith(Text("已拍 1 名（其中 1 名的照片有问题仍保存），缺席 1 名，未轮到 0 名。")))
        << dialogs.questions[1].toStdString();

    // Back at the main window, both side windows closed and the camera let go.
    EXPECT_TRUE(captureClosedWithTheDay);
    EXPECT_FALSE(camera.IsConnected());
    EXPECT_EQ(ItemTexts(*Controls(windows.Form1).ListBox1), (QStringList{"S01", "S02"}));
    EXPECT_EQ(windows.Form1.Pairing(), PairingMode::FileName);
    EXPECT_EQ(Controls(windows.Form1).Edit3->text(), FolderString(dayFolder));
    EXPECT_EQ(ItemTexts(*Controls(windows.Form1).ListBox2), QStringList{"S01.jpg"});

    // The student the day recorded absent is named so in the plan.
    DecliningReview review;
    windows.Form1.UsePlanReview(review);
    QTest::mouseClick(Controls(windows.Form1).Button5, Qt::LeftButton);
    ASSERT_EQ(review.plans.size(), 1) << dialogs.messages.join('\n').toStdString();
    EXPECT_EQ(review.plans[0].notices, QStringList{Text("缺席 1 名，不会设置：“S02”（第 2 行）")});
}

TEST_F(ProgramWindowsTest, TheDayReadsItsRosterAsTheMainWindowAndAsksTheChosenSite)
{
    QStringList messages;
    WithCaptureWindow([&] {
        // A roster the main window would refuse, with the main window's words.
        dialogs.fileAnswers.push_back(site.WriteScratch("bad.txt", QByteArray("S01\n\xff\xfe\n")));
        QTest::mouseClick(Controls(windows.FrmGetPic).photoDayButton, Qt::LeftButton);
        EXPECT_FALSE(windows.FrmPhotoDay.isVisible());
        // No site chosen in the main window: the day goes on with the codes.
        AskForTheDay("S01\n");
        EXPECT_TRUE(windows.FrmPhotoDay.isVisible());
        messages = dialogs.messages;
        windows.FrmPhotoDay.close();
    });
    ASSERT_EQ(messages.size(), 2) << messages.join('\n').toStdString();
    EXPECT_TRUE(messages[0].startsWith(kRosterFailedMessage + u'\n')) << messages[0].toStdString();
    EXPECT_EQ(messages[1],
              Text("无法读取学生在网站上的姓名和现有照片，照常按名单拍照。\n还没有选择网站的安装文件夹。"));
    // Closed without handing over, the day gives the main window nothing.
    EXPECT_EQ(Controls(windows.Form1).ListBox2->count(), 0);
    EXPECT_TRUE(QFile::exists(dayFolder + "/" + PhotoDaySession::kSessionFileName));
}

} // namespace

#include "picture/PictureHeaders.h"
#include "platform/settings/InstallationFolderStore.h"
#include "resize/BatchResize.h"
#include "resize/ReferencePictures.h"
#include "support/QtPrinters.h"
#include "support/RecordingDialogs.h"
#include "support/TestFiles.h"
#include "widgets/ListBoxItems.h"
#include "widgets/WindowControls.h"
#include "windows/main/Form1.h"
#include "windows/resize/ModifyPic.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

const QString kDone = QStringLiteral("图片大小调整成功！");
const QString kFailed = QStringLiteral("片大小调整失败，请确认文件是否正确！");
const QString kNoFolder = QStringLiteral("没有选择图片路径");

class ResizeWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(Source()) && QDir().mkpath(Target()));
        QObject::connect(&window, &TfrmPicture::PicturesHandedOver, &mainWindow, &TForm1::TakePhotoList);
    }

    QString Source() const { return QDir::toNativeSeparators(temp.filePath("source") + '/'); }
    QString Target() const { return QDir::toNativeSeparators(temp.filePath("target") + '/'); }
    QStringList TargetFiles() const { return QDir(Target()).entryList(QDir::Files, QDir::Name); }

    // The success message of a run that wrote the target's files `names`.
    QString Done(const QStringList& names) const
    {
        std::uint64_t bytes = 0;
        for (const QString& name : names)
            bytes += static_cast<std::uint64_t>(QFileInfo(Target() + name).size());
        return kDone + QStringLiteral("\n共 %1 张，%2").arg(names.size()).arg(ByteSizeText(bytes));
    }

    // The size a JPEG output says it has.
    QSize JpegSize(const QString& path) const
    {
        const QByteArray bytes = ReadFile(path);
        const JpegHeader header = ReadJpegHeader(
            {reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<std::size_t>(bytes.size())});
        return {header.Width, header.Height};
    }

    void AddPhotos(const QString& folder, const QStringList& names)
    {
        for (const QString& name : names)
            ASSERT_TRUE(QFile::copy(TestDataPath("jpeg/photos/hopper.jpg"), folder + name)) << name.toStdString();
    }

    // Picks a folder through a browse button (Button3 the source, Button4 the target).
    void Browse(QPushButton* button, const std::optional<QString>& folder)
    {
        dialogs.folderAnswers.push_back(folder);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void ChooseFolders()
    {
        Browse(Controls(window).Button3, Source());
        Browse(Controls(window).Button4, Target());
    }
    // Clicks 开始 and waits until the run it starts has ended.
    void Start()
    {
        QSignalSpy finished(&window, &TfrmPicture::RunFinished);
        QTest::mouseClick(Controls(window).Button1, Qt::LeftButton);
        if (finished.isEmpty()) {
            ASSERT_TRUE(finished.wait(60000));
        }
    }

    QTemporaryDir temp;
    RecordingDialogs dialogs;
    const InstallationFolderStore store = InstallationFolderStore::AtFile(temp.filePath("settings.conf"));
    TForm1 mainWindow{dialogs, store};
    TfrmPicture window{dialogs, &mainWindow};
};

} // namespace

TEST_F(ResizeWindowTest, EachShowingResetsTheFieldsButKeepsTheTargetFolder)
{
    AddPhotos(Source(), {"a.jpg"});
    window.show();
    ChooseFolders();
    Controls(window).Edit1->setText("200");
    Controls(window).Edit2->setText("300");
    Controls(window).Button3->setText("x");
    Start();
    ASSERT_EQ(Controls(window).Gauge1->PercentDone(), 100);
    EXPECT_EQ(dialogs.messages, QStringList{Done({"001.jpg"})});
    EXPECT_EQ(JpegSize(Target() + "001.jpg"), QSize(200, 300));
    QTest::mouseClick(Controls(window).Button2, Qt::LeftButton);
    ASSERT_FALSE(window.isVisible());

    window.show();
    EXPECT_EQ(Controls(window).Edit1->text(), QStringLiteral("120"));
    EXPECT_EQ(Controls(window).Edit2->text(), QStringLiteral("180"));
    EXPECT_EQ(Controls(window).Edit3->text(), QString());
    EXPECT_EQ(Controls(window).Button3->text(), QStringLiteral("浏览(&O)"));
    EXPECT_EQ(Controls(window).chklstbox->count(), 0);
    EXPECT_EQ(Controls(window).Edit4->text(), Target());
    EXPECT_EQ(Controls(window).Gauge1->PercentDone(), 0);

    // Each picker opens at the folder its field holds.
    ChooseFolders();
    EXPECT_EQ(dialogs.startFolders, (QStringList{"", "", "", Target()}));
}

// Each "浏览" has a key of its own (Alt+O the source, Alt+T the target), and
// a new run's gauge starts at nought, not at the last run's percentage.
TEST_F(ResizeWindowTest, EachBrowseButtonHasItsOwnKeyAndANewRunStartsTheGaugeAtNought)
{
    AddPhotos(Source(), {"a.jpg", "b.jpg"});
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    dialogs.folderAnswers = {Source(), Target()};
    // A key clicks its button as a short press shown on screen: the click
    // comes once that is over.
    for (const auto& [key, button] :
         {std::pair{Qt::Key_O, Controls(window).Button3}, std::pair{Qt::Key_T, Controls(window).Button4}}) {
        QSignalSpy clicked(button, &QPushButton::clicked);
        QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
        ASSERT_TRUE(clicked.size() == 1 || clicked.wait(10000)) << button->objectName().toStdString();
    }
    EXPECT_EQ(Controls(window).Edit3->text(), Source());
    EXPECT_EQ(Controls(window).Edit4->text(), Target());
    EXPECT_EQ(Controls(window).chklstbox->count(), 2);

    Start();
    ASSERT_EQ(Controls(window).Gauge1->PercentDone(), 100);
    dialogs.confirmAnswers.push_back(true); // the pictures of the first run are replaced
    QSignalSpy finished(&window, &TfrmPicture::RunFinished);
    QTest::mouseClick(Controls(window).Button1, Qt::LeftButton);
    EXPECT_EQ(Controls(window).Gauge1->PercentDone(), 0);
    if (finished.isEmpty()) {
        ASSERT_TRUE(finished.wait(60000));
    }
    EXPECT_EQ(Controls(window).Gauge1->PercentDone(), 100);
}

TEST_F(ResizeWindowTest, BrowsingListsTheSourcesPicturesAndStartingNeedsBothFolders)
{
    const QString other = QDir::toNativeSeparators(temp.filePath("other") + '/');
    ASSERT_TRUE(QDir().mkpath(other));
    AddPhotos(Source(), {"b.jpg", "a.JPG"});
    AddPhotos(other, {"x.jpg"});
    WriteFile(Source() + "notes.txt", "x");
    window.show();
    Controls(window).Edit1->setText("abc"); // the folders are checked first
    Start();

    Browse(Controls(window).Button3, Source());
    EXPECT_EQ(Controls(window).Edit3->text(), Source());
    EXPECT_EQ(ItemTexts(*Controls(window).chklstbox), (QStringList{"a.JPG", "b.jpg"}));
    Browse(Controls(window).Button3, other);
    Browse(Controls(window).Button3, std::nullopt); // cancelled browses change nothing
    Browse(Controls(window).Button4, std::nullopt);
    EXPECT_EQ(Controls(window).Edit3->text(), other);
    EXPECT_EQ(ItemTexts(*Controls(window).chklstbox), QStringList{"x.jpg"});
    EXPECT_EQ(Controls(window).Edit4->text(), QString());
    Start();
    window.hide();
    window.show(); // empties the source, keeps the (empty) target
    Browse(Controls(window).Button4, Target());
    Start();

    EXPECT_EQ(dialogs.messages, QStringList(3, kNoFolder));
    EXPECT_EQ(Controls(window).Gauge1->MaxValue(), 100);
    EXPECT_TRUE(TargetFiles().isEmpty());
}

TEST_F(ResizeWindowTest, UnusableSizesAndAMissingPictureFailWithTheMessage)
{
    AddPhotos(Source(), {"a.jpg", "b.jpg", "c.jpg"});
    window.show();
    ChooseFolders();
    // Rows: width, height, the size problem named after the first line.
    const struct {
        const char* width;
        const char* height;
        const char* problem;
    } sizes[] = {
        {"abc", "180", "图片宽度“abc”不是 1 到 10000 之间的整数"},
        {"120", "", "图片高度“”不是 1 到 10000 之间的整数"},
        {"0", "180", "图片宽度“0”不是 1 到 10000 之间的整数"},
        {"120", "-1", "图片高度“-1”不是 1 到 10000 之间的整数"},
        {"120", "10001", "图片高度“10001”不是 1 到 10000 之间的整数"},
    };
    for (const auto& row : sizes) {
        Controls(window).Edit1->setText(row.width);
        Controls(window).Edit2->setText(row.height);
        Start();
        EXPECT_EQ(dialogs.messages.takeLast(), kFailed + "\n\n出错原因：" + QString::fromUtf8(row.problem));
        EXPECT_TRUE(TargetFiles().isEmpty()) << row.width << " x " << row.height;
    }

    // A listed file deleted before the run: the gauge stays where it got to,
    // the message names the picture.
    Controls(window).Edit1->setText("120");
    Controls(window).Edit2->setText("180");
    ASSERT_TRUE(QFile::remove(Source() + "b.jpg"));
    Start();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(kFailed + "\n\n出错原因：第 2 张图片 b.jpg：无法打开文件"))
        << dialogs.messages[0].toStdString();
    EXPECT_EQ(TargetFiles(), QStringList{"001.jpg"});
    EXPECT_EQ(Controls(window).Gauge1->PercentDone(), 33);
}

TEST_F(ResizeWindowTest, ARunRefusesTheSourceAsTargetAndAsksBeforeReplacingPicturesNamingHowMany)
{
    AddPhotos(Source(), {"a.jpg", "b.jpg"});
    window.show();
    Browse(Controls(window).Button3, Source());
    Browse(Controls(window).Button4, Source());
    Start();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(kFailed + "\n\n出错原因：目标图片路径就是源图片路径"))
        << dialogs.messages[0].toStdString();
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_EQ(QDir(Source()).entryList(QDir::Files, QDir::Name), (QStringList{"a.jpg", "b.jpg"}));

    AddPhotos(Target(), {"002.jpg", "003.jpg"});
    Browse(Controls(window).Button4, Target());
    Start(); // declined: nothing written
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(dialogs.questions[0],
              QStringLiteral("目标文件夹中已有 1 张同名图片（002.jpg），调整后会被覆盖。覆盖这些图片吗？"));
    EXPECT_EQ(TargetFiles(), (QStringList{"002.jpg", "003.jpg"}));
    EXPECT_EQ(dialogs.messages.size(), 1);

    dialogs.confirmAnswers = {true};
    Start();
    EXPECT_EQ(dialogs.messages.value(1), Done({"001.jpg", "002.jpg"}));
    EXPECT_EQ(TargetFiles(), (QStringList{"001.jpg", "002.jpg", "003.jpg"}));
    EXPECT_EQ(JpegSize(Target() + "002.jpg"), QSize(120, 180));
}

TEST_F(ResizeWindowTest, TheChosenFitModeIsUsedAndKeptFromOneShowingToTheNext)
{
    ASSERT_TRUE(QFile::copy(TestDataPath("jpeg/libjpeg-turbo/testorig.jpg"), Source() + "objects.jpg"));
    window.show();
    ChooseFolders();
    EXPECT_EQ(Controls(window).ComboBox1->currentText(), QStringLiteral("拉伸"));
    Controls(window).ComboBox1->setCurrentText(QStringLiteral("人脸"));
    Start();
    window.hide();
    window.show();
    EXPECT_EQ(Controls(window).ComboBox1->currentText(), QStringLiteral("人脸"));

    EXPECT_EQ(dialogs.messages,
              QStringList{Done({"001.jpg"}) + QStringLiteral("\n其中 1 张图片未找到人脸，已按裁剪处理：objects.jpg")});
    // Cropped, not stretched, and smoothly: what a crop mode run writes.
    const QString cropTarget = temp.filePath("crop") + '/';
    ASSERT_TRUE(QDir().mkpath(cropTarget));
    RunBatchResize({Source(), {"objects.jpg"}, cropTarget, 120, 180, FitMode::Crop});
    EXPECT_EQ(ReadFile(Target() + "001.jpg"), ReadFile(cropTarget + "001.jpg"));
}

TEST_F(ResizeWindowTest, OutputsAreJpegUnlessBmpIsChosenWhichIsKeptFromOneShowingToTheNext)
{
    AddPhotos(Source(), {"a.jpg"});
    window.show();
    ChooseFolders();
    EXPECT_EQ(Controls(window).formatCombo->currentText(), QStringLiteral("JPEG"));
    Start();
    EXPECT_TRUE(ReadFile(Target() + "001.jpg").startsWith("\xFF\xD8\xFF"));
    EXPECT_EQ(JpegSize(Target() + "001.jpg"), QSize(120, 180));
    const QString jpegDone = Done({"001.jpg"});

    Controls(window).formatCombo->setCurrentText(QStringLiteral("BMP"));
    window.hide();
    window.show();
    EXPECT_EQ(Controls(window).formatCombo->currentText(), QStringLiteral("BMP"));
    Browse(Controls(window).Button3, Source());
    dialogs.confirmAnswers = {true}; // replace the first run's output
    Start();
    EXPECT_TRUE(IsSampleOf(Target() + "001.jpg", TestDataPath("jpeg/photos/hopper.jpg"), {120, 180}));
    EXPECT_EQ(dialogs.messages, (QStringList{jpegDone, Done({"001.jpg"})}));
    EXPECT_NE(jpegDone, Done({"001.jpg"})) << "the BMP file is larger";
}

TEST_F(ResizeWindowTest, StretchSamplesSmoothlyWhenTickedAndTheOtherModesAlways)
{
    ASSERT_TRUE(QFile::copy(TestDataPath("jpeg/photos/obama.jpg"), Source() + "a.jpg"));
    const QString photo = Source() + "a.jpg";
    window.show();
    ChooseFolders();
    // BMP data: the drawn pixels as they are.
    Controls(window).formatCombo->setCurrentText(QStringLiteral("BMP"));
    // Stretch: exact unless "平滑" is ticked.
    EXPECT_EQ(Controls(window).CheckBox1->text(), QStringLiteral("平滑"));
    EXPECT_FALSE(Controls(window).CheckBox1->isChecked());
    EXPECT_TRUE(Controls(window).CheckBox1->isEnabled());
    Start();
    EXPECT_TRUE(IsSampleOf(Target() + "001.jpg", photo, {120, 180}));
    const QByteArray exact = ReadFile(Target() + "001.jpg");

    QTest::mouseClick(Controls(window).CheckBox1, Qt::LeftButton);
    EXPECT_TRUE(Controls(window).CheckBox1->isChecked());
    dialogs.confirmAnswers = {true}; // replace the first run's output
    Start();
    const QByteArray smooth = ReadFile(Target() + "001.jpg");
    const QString smoothTarget = temp.filePath("smooth") + '/';
    ASSERT_TRUE(QDir().mkpath(smoothTarget));
    BatchResizeJob job{Source(), {"a.jpg"}, smoothTarget, 120, 180, FitMode::Stretch};
    job.sampling = Sampling::Smooth;
    job.format = ResizeOutputFormat::Bmp;
    RunBatchResize(job);
    EXPECT_EQ(smooth, ReadFile(smoothTarget + "001.jpg"));
    EXPECT_NE(smooth, exact);

    // Crop and face: ticked and fixed; back to stretch, its own choice again,
    // also at the next showing.
    Controls(window).ComboBox1->setCurrentText(QStringLiteral("裁剪"));
    EXPECT_TRUE(Controls(window).CheckBox1->isChecked());
    EXPECT_FALSE(Controls(window).CheckBox1->isEnabled());
    Controls(window).ComboBox1->setCurrentText(QStringLiteral("拉伸"));
    EXPECT_TRUE(Controls(window).CheckBox1->isChecked());
    QTest::mouseClick(Controls(window).CheckBox1, Qt::LeftButton);
    Controls(window).ComboBox1->setCurrentText(QStringLiteral("人脸"));
    EXPECT_TRUE(Controls(window).CheckBox1->isChecked());
    Controls(window).ComboBox1->setCurrentText(QStringLiteral("拉伸"));
    EXPECT_FALSE(Controls(window).CheckBox1->isChecked());
    QTest::mouseClick(Controls(window).CheckBox1, Qt::LeftButton);
    window.hide();
    window.show();
    EXPECT_TRUE(Controls(window).CheckBox1->isChecked());
    EXPECT_TRUE(Controls(window).CheckBox1->isEnabled());
}

TEST_F(ResizeWindowTest, ARunLeavesTheWindowWorkingAndClosingStopsItWithWhatWasWrittenHandedOver)
{
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(
            QFile::copy(TestDataPath("jpeg/photos/obama-240p.jpg"), Source() + QStringLiteral("%1.jpg").arg(i)));
    window.show();
    ChooseFolders();
    QTest::mouseClick(Controls(window).Button1, Qt::LeftButton);
    // Running: what would change the run is locked, 退出 is not.
    const auto& controls = Controls(window);
    for (QWidget* control :
         std::initializer_list<QWidget*>{controls.Button1, controls.Button3, controls.Button4, controls.Edit1,
                                         controls.Edit2, controls.ComboBox1, controls.formatCombo})
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_TRUE(controls.Button2->isEnabled());
    QCoreApplication::processEvents();

    // 退出 asks first; "取消" keeps the window open and the run going.
    dialogs.confirmAnswers = {false};
    QTest::mouseClick(Controls(window).Button2, Qt::LeftButton);
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.questions[0].startsWith(QStringLiteral("图片大小调整还没有完成（已完成 ")))
        << dialogs.questions[0].toStdString();
    EXPECT_TRUE(dialogs.questions[0].endsWith(QStringLiteral("共 200 张）。停止调整并关闭窗口吗？")));
    EXPECT_FALSE(Controls(window).Button1->isEnabled());

    dialogs.confirmAnswers = {true};
    QTest::mouseClick(Controls(window).Button2, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    const QStringList written = TargetFiles();
    QStringList numbered;
    for (int n = 1; n <= written.size(); ++n)
        numbered << ResizeOutputName(n);
    EXPECT_EQ(written, numbered) << "the outputs are 001.jpg on, without a gap";
    EXPECT_EQ(ItemTexts(*Controls(mainWindow).ListBox2), written);
    EXPECT_TRUE(Controls(window).Button1->isEnabled());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(ResizeWindowTest, ClosingHandsOverWhatTheRunWroteOrElseTheTargetsPictures)
{
    // Older pictures in the target must never be paired with students, nor
    // pictures in the current directory.
    AddPhotos(Source(), {"a.jpg", "b.jpg", "c.jpg"});
    const QStringList leftovers{"001.jpg", "002.jpg", "003.jpg", "004.jpg", "005.jpg", "006.jpg", "007.jpg", "008.jpg"};
    AddPhotos(Target(), leftovers);
    WriteFile(Target() + "readme.txt", "x");
    const QStringList targetFiles = TargetFiles();
    const QString emptyTarget = QDir::toNativeSeparators(temp.filePath("empty") + '/');
    ASSERT_TRUE(QDir().mkpath(emptyTarget));
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Source()));

    const auto close = [this] { window.close(); };
    const struct {
        const char* name;
        std::optional<QString> target;
        std::function<void()> run;
        std::function<void()> close;
        QStringList handedOver;
    } cases[] = {
        // First, as each showing keeps the target folder of the one before.
        {"no target, Esc", std::nullopt, [] {}, [this] { QTest::keyClick(&window, Qt::Key_Escape); }, {}},
        {"no pictures, exit button",
         emptyTarget,
         [] {},
         [this] { QTest::mouseClick(Controls(window).Button2, Qt::LeftButton); },
         {}},
        {"no run in this showing", Target(), [] {}, close, leftovers},
        {"a run of three pictures", Target(), [this] { Start(); }, close, {"001.jpg", "002.jpg", "003.jpg"}},
        {"a run that stopped at its second picture",
         Target(),
         [this] {
             QFile::rename(Source() + "b.jpg", Source() + "b.tmp");
             Start();
             QFile::rename(Source() + "b.tmp", Source() + "b.jpg");
         },
         close,
         {"001.jpg"}},
        // A run refused before it began did not take place.
        {"a run refused for its width", Target(),
         [this] {
             Controls(window).Edit1->setText("abc");
             Start();
         },
         close, leftovers},
        {"a run refused for its target, the source", Source(), [this] { Start(); }, close, {"a.jpg", "b.jpg", "c.jpg"}},
        {"overwriting declined", Target(),
         [this] {
             dialogs.confirmAnswers = {false};
             Start();
         },
         close, leftovers},
        {"two runs, the second stopped at once",
         Target(),
         [this] {
             Start();
             QFile::rename(Source() + "a.jpg", Source() + "a.tmp");
             Start();
             QFile::rename(Source() + "a.tmp", Source() + "a.jpg");
         },
         close,
         {}},
        {"a run, then another target folder",
         Target(),
         [this] {
             Start();
             Browse(Controls(window).Button4, Source());
         },
         close,
         {"a.jpg", "b.jpg", "c.jpg"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mainWindow.TakePhotoList("/old/", {"old.jpg"});
        Controls(mainWindow).StatusBar1->SetPanelText(1, QStringLiteral("共有 9 图片"));
        // The target holds older pictures: each run asks before replacing them.
        dialogs.confirmAnswers = {true, true};
        window.show();
        Browse(Controls(window).Button3, Source());
        if (c.target)
            Browse(Controls(window).Button4, *c.target);
        c.run();
        c.close();

        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(Controls(mainWindow).Edit3->text(), Controls(window).Edit4->text());
        EXPECT_EQ(ItemTexts(*Controls(mainWindow).ListBox2), c.handedOver);
        EXPECT_EQ(ItemTexts(*Controls(window).chklstbox), c.handedOver);
        EXPECT_EQ(Controls(mainWindow).StatusBar1->PanelText(1),
                  QStringLiteral("共有 %1 图片").arg(c.handedOver.isEmpty() ? 9 : c.handedOver.size()));
        EXPECT_EQ(TargetFiles(), targetFiles);
    }
    QDir::setCurrent(before);
}

#include "windows/capture/CaptureWindowFixture.h"

#include <QSignalSpy>

TEST_F(CaptureWindowTest, AfterCreationOnlyCameraExitAndFolderControlsAreUsableAndClosingIsQuiet)
{
    // Nothing to edit, crop or save before a picture is there.
    for (QPushButton* button : {ui().Button1, ui().Button2, ui().Button10, ui().Button11})
        EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();
    // A named list: "<<" hands back a reference into the temporary, which a
    // range-for would keep using after the temporary is gone.
    const QList<QPushButton*> unusable = EditingButtons() << ui().Button3;
    for (QPushButton* button : unusable)
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    EXPECT_EQ(ui().Image2->Picture().Graphic(), nullptr);
    EXPECT_EQ(ui().Image3->Picture().Graphic(), nullptr);
    EXPECT_EQ(window->CropRect(), (TRect{0, 0, 0, 0}));
    window->show();
    QTest::keyClick(window.get(), Qt::Key_Escape); // not a way to close
    EXPECT_TRUE(window->isVisible());
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(camera.ConnectCount(), 0);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(CaptureWindowTest, GrabShowsTheFrameAtHalfSizeUnderTheFrame)
{
    for (const QSize frameSize : {QSize(640, 480), QSize(641, 481)}) {
        const QImage frame = SyntheticCameraSource::TestPattern(frameSize.width(), frameSize.height());
        StartAndGrab(frame);

        EXPECT_EQ(ui().Image2->geometry(), QRect(8, 8, 320, 240)) << frameSize.width();
        EXPECT_EQ(ui().Image2->Picture().Width(), 320);
        EXPECT_EQ(ui().Image2->Picture().Height(), 240);
        EXPECT_TRUE(QFile::exists(ScratchFile()));
        EXPECT_EQ(window->CropRect(), (TRect{112, 64, 232, 244}));
        for (QPushButton* button : EditingButtons())
            EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();
        // Every second row and column of the frame.
        for (const QPoint p : {QPoint(0, 0), QPoint(1, 1), QPoint(100, 37), QPoint(319, 239)})
            EXPECT_EQ(AreaPixel(p.x(), p.y()), FromQRgb(frame.pixel(2 * p.x(), 2 * p.y()))) << p.x() << "," << p.y();
        EXPECT_TRUE(dialogs.messages.isEmpty());
    }
}

TEST_F(CaptureWindowTest, GrabWithoutAFrameSaysSoAndChangesNothing)
{
    const QString noFrame = Text("摄像头没有送来画面，请稍候再按“获取图片”。");
    camera.SetFrame(QImage()); // connected, but the camera delivers nothing
    QTest::mouseClick(ui().Button1, Qt::LeftButton);
    ASSERT_TRUE(ui().Button3->isEnabled());
    QTest::mouseClick(ui().Button3, Qt::LeftButton);

    EXPECT_EQ(dialogs.messages, QStringList{noFrame});
    EXPECT_EQ(ui().Image2->geometry(), QRect(8, 8, 320, 290));
    EXPECT_EQ(ui().Image2->Picture().Graphic(), nullptr);
    EXPECT_FALSE(ui().Button4->isEnabled());
    EXPECT_EQ(window->CropRect(), (TRect{0, 0, 0, 0}));

    // After a good grab, a grab without a frame is reported too: the earlier
    // grab's file does not stand in for it.
    camera.SetFrame(QImage(64, 48, QImage::Format_RGB32));
    QTest::mouseClick(ui().Button3, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1);
    ASSERT_NE(ui().Image2->Picture().Graphic(), nullptr);
    camera.SetFrame(QImage());
    QTest::mouseClick(ui().Button3, Qt::LeftButton);
    EXPECT_EQ(dialogs.messages, QStringList(2, noFrame));
}

TEST_F(CaptureWindowTest, AMissingCameraIsSaidAtStartAndAtGrab)
{
    camera.SetCameraPresent(false);
    QTest::mouseClick(ui().Button1, Qt::LeftButton);
    EXPECT_EQ(dialogs.messages, QStringList{Text("没有找到摄像头")});
    QTest::mouseClick(ui().Button3, Qt::LeftButton);
    EXPECT_EQ(dialogs.messages, QStringList(2, Text("没有找到摄像头")));
    EXPECT_EQ(ui().Image2->Picture().Graphic(), nullptr);
    EXPECT_FALSE(QFile::exists(ScratchFile()));
}

TEST_F(CaptureWindowTest, StopAndStartSwitchTheGrabAndKeepOnePreview)
{
    QTest::mouseClick(ui().Button1, Qt::LeftButton);
    EXPECT_TRUE(ui().Button3->isEnabled());
    EXPECT_TRUE(camera.IsConnected());
    QWidget* preview = camera.PreviewWindow();
    ASSERT_NE(preview, nullptr);
    // Image1's numbers inside its group box, taken as a place on the window.
    EXPECT_EQ(preview->parentWidget(), ui().GroupBox1->parentWidget()); // the surface the controls lie on
    EXPECT_EQ(preview->geometry(), QRect(16, 24, 225, 257));

    // A second start while the preview runs keeps it: one connection, and a
    // stop still reaches it.
    QTest::mouseClick(ui().Button1, Qt::LeftButton);
    EXPECT_EQ(camera.ConnectCount(), 1);
    EXPECT_EQ(camera.PreviewWindow(), preview);

    QTest::mouseClick(ui().Button2, Qt::LeftButton);
    EXPECT_FALSE(ui().Button3->isEnabled());
    EXPECT_FALSE(camera.IsConnected());

    QTest::mouseClick(ui().Button1, Qt::LeftButton);
    EXPECT_TRUE(ui().Button3->isEnabled());
    EXPECT_TRUE(camera.IsConnected());
    EXPECT_EQ(camera.ConnectCount(), 2);
    EXPECT_EQ(camera.PreviewWindow(), preview);

    // A start whose preview window cannot be made changes no button.
    camera.SetCanMakeWindow(false);
    QTest::mouseClick(ui().Button1, Qt::LeftButton);
    EXPECT_TRUE(ui().Button3->isEnabled());
    QTest::mouseClick(ui().Button2, Qt::LeftButton);
    QTest::mouseClick(ui().Button1, Qt::LeftButton);
    EXPECT_FALSE(ui().Button3->isEnabled());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(CaptureWindowTest, ClosingCleansUpButKeepsPreviewNameFolderAndList)
{
    for (const bool byExitButton : {false, true}) {
        StartAndGrab(SyntheticCameraSource::TestPattern(640, 480));
        QTest::mouseClick(ui().Button8, Qt::LeftButton);
        ui().Edit1->setText("张三");
        ui().Edit2->setText("/photos/");
        ui().ListBox1->addItem("a.jpg");
        window->show();
        ASSERT_TRUE(QFile::exists(ScratchFile()));

        if (byExitButton)
            QTest::mouseClick(ui().Button10, Qt::LeftButton);
        else
            window->close();

        EXPECT_FALSE(window->isVisible());
        EXPECT_FALSE(QFile::exists(ScratchFile()));
        EXPECT_FALSE(camera.IsConnected());
        EXPECT_FALSE(ui().Button3->isEnabled());
        for (QPushButton* button : EditingButtons())
            EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
        EXPECT_EQ(ui().Image2->Picture().Graphic(), nullptr);
        EXPECT_EQ(ui().Image2->geometry(), QRect(8, 8, 320, 240));
        EXPECT_NE(ui().Image3->Picture().Graphic(), nullptr);
        EXPECT_EQ(ui().Edit1->text(), Text("张三"));
        EXPECT_EQ(ui().Edit2->text(), Text("/photos/"));
        EXPECT_EQ(ui().ListBox1->item(0)->text(), Text("a.jpg"));
        EXPECT_EQ(window->CropRect(), (TRect{112, 64, 232, 244}));
        EXPECT_EQ(camera.PreviewWindow()->parentWidget(), ui().GroupBox1->parentWidget());
        ui().ListBox1->clear();
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(CaptureWindowTest, ZoomAndTurnButtonsChangeTheAreaButNotTheCrop)
{
    // The arithmetic is tried on the editing functions; here the buttons.
    StartAndGrab(SyntheticCameraSource::TestPattern(640, 480));
    const TColor topRight = AreaPixel(319, 0);
    const struct {
        QPushButton* button;
        QRect area;
        QPoint topRightNow;
    } steps[] = {
        {ui().Button4, {8, 8, 640, 480}, {639, 0}},
        {ui().Button5, {8, 8, 320, 240}, {319, 0}},
        {ui().Button6, {8, 8, 240, 320}, {0, 0}}, // the right edge comes to the top
        {ui().Button7, {8, 8, 320, 240}, {319, 0}},
    };
    for (const auto& step : steps) {
        QTest::mouseClick(step.button, Qt::LeftButton);
        EXPECT_EQ(ui().Image2->geometry(), step.area) << step.button->objectName().toStdString();
        EXPECT_EQ(AreaPixel(step.topRightNow.x(), step.topRightNow.y()), topRight);
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // Out to 2 by 1; the next step would leave an empty area and is refused.
    for (int step = 0; step < 8; ++step)
        QTest::mouseClick(ui().Button5, Qt::LeftButton);
    EXPECT_EQ(ui().Image2->size(), QSize(2, 1));
    EXPECT_EQ(ui().Image2->Picture().Width(), 2);
    EXPECT_EQ(dialogs.messages, QStringList{Text("图片不能再缩小了！")});
    EXPECT_EQ(window->CropRect(), (TRect{112, 64, 232, 244}));
}

TEST_F(CaptureWindowTest, ZoomAfterAFailedListLoadUsesFactorThree)
{
    StartAndGrab(SyntheticCameraSource::TestPattern(640, 480));
    QTest::mouseClick(ui().Button4, Qt::LeftButton);
    // A click on a name whose file is gone resets the area to 320 by 290 and
    // keeps the 640 by 480 picture.
    ui().Edit2->setText(programFolder);
    ui().ListBox1->addItem("gone.jpg");
    ui().ListBox1->setCurrentRow(0);
    ASSERT_EQ(ui().Image2->geometry(), QRect(8, 8, 320, 290));

    QTest::mouseClick(ui().Button4, Qt::LeftButton);
    EXPECT_EQ(ui().Image2->size(), QSize(1920, 1440));
    EXPECT_EQ(ui().Image2->Picture().Height(), 1440);
}

TEST_F(CaptureWindowTest, DraggingMovesThePictureUnderTheFixedFrame)
{
    StartAndGrab(SyntheticCameraSource::TestPattern(640, 480));
    window->show();

    // Over the picture at its centre: it stays, the caption shows the crop's corner.
    window->Image2DragOver(160, 120);
    EXPECT_EQ(ui().Image2->pos(), QPoint(8, 8));
    EXPECT_EQ(window->windowTitle(), Text("105     59"));
    EXPECT_EQ(window->CropRect(), (TRect{105, 59, 225, 239}));

    // A mere press on the frame starts the drag and moves the picture.
    QTest::mousePress(ui().Shape1, Qt::LeftButton, {}, QPoint(60, 90));
    EXPECT_EQ(ui().Image2->pos(), QPoint(12, 34));
    EXPECT_EQ(window->CropRect(), (TRect{100, 30, 220, 210}));
    EXPECT_EQ(window->windowTitle(), Text("105     59")); // the frame leaves the caption alone
    QTest::mouseRelease(ui().Shape1, Qt::LeftButton, {}, QPoint(60, 90));
    EXPECT_EQ(ui().Shape1->geometry(), QRect(112, 64, 120, 180));

    // A press on the picture outside the frame: picture coordinates.
    QTest::mousePress(ui().Image2, Qt::LeftButton, {}, QPoint(20, 30));
    EXPECT_EQ(ui().Image2->pos(), QPoint(12 + 20 - 160, 34 + 30 - 120));
    EXPECT_EQ(window->CropRect(), (TRect{113 + 128, 67 + 56, 113 + 128 + 120, 67 + 56 + 180}));
    EXPECT_EQ(window->windowTitle(), Text("241     123"));
    QTest::mouseRelease(ui().Image2, Qt::LeftButton, {}, QPoint(20, 30));

    // The next activation restores the caption.
    window->hide();
    window->show();
    EXPECT_EQ(window->windowTitle(), Text("图片采集"));
}

TEST_F(CaptureWindowTest, CropAveragesTheLoadedPicturesPixelsAndEnablesSave)
{
    const QImage frame = SyntheticCameraSource::TestPattern(640, 480);
    StartAndGrab(frame);
    // The mean of the 2 x 2 pixels of the grabbed frame that a pixel of the
    // half-size picture area stands for (x and y in the area), as 0x00BBGGRR.
    auto frameMean = [&frame](int x, int y) {
        int red = 0, green = 0, blue = 0;
        for (const QPoint p : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)}) {
            const QRgb rgb = frame.pixel(2 * x + p.x(), 2 * y + p.y());
            red += qRed(rgb), green += qGreen(rgb), blue += qBlue(rgb);
        }
        return RGB(static_cast<std::uint8_t>((red + 2) / 4), static_cast<std::uint8_t>((green + 2) / 4),
                   static_cast<std::uint8_t>((blue + 2) / 4));
    };
    auto near = [](TColor a, TColor b) {
        return std::abs(GetRValue(a) - GetRValue(b)) <= 1 && std::abs(GetGValue(a) - GetGValue(b)) <= 1
               && std::abs(GetBValue(a) - GetBValue(b)) <= 1;
    };
    // Moved so that the frame lies wholly inside the picture.
    QTest::mousePress(ui().Shape1, Qt::LeftButton, {}, QPoint(60, 90));
    QTest::mouseRelease(ui().Shape1, Qt::LeftButton, {}, QPoint(60, 90));
    ASSERT_EQ(window->CropRect(), (TRect{100, 30, 220, 210}));
    ui().Button9->setEnabled(false);
    QTest::mouseClick(ui().Button8, Qt::LeftButton);

    // The area shows the frame at half size: the crop averages the frame's
    // pixels, not every second one of them as the area does.
    ASSERT_EQ(ui().Image3->Picture().Width(), 120);
    ASSERT_EQ(ui().Image3->Picture().Height(), 180);
    for (int y = 0; y < 180; ++y)
        for (int x = 0; x < 120; ++x)
            ASSERT_TRUE(near(PreviewPixel(x, y), frameMean(100 + x, 30 + y))) << x << "," << y;
    EXPECT_TRUE(ui().Button9->isEnabled());
    EXPECT_EQ(ui().Image2->size(), QSize(320, 240));

    // Where the rectangle reaches past the picture the preview stays white.
    QTest::mousePress(ui().Shape1, Qt::LeftButton, {}, QPoint(110, 170));
    QTest::mouseRelease(ui().Shape1, Qt::LeftButton, {}, QPoint(110, 170));
    ASSERT_EQ(window->CropRect(), (TRect{50, -50, 170, 130}));
    QTest::mouseClick(ui().Button8, Qt::LeftButton);
    EXPECT_EQ(PreviewPixel(0, 0), clWhite);
    EXPECT_EQ(PreviewPixel(119, 49), clWhite);
    EXPECT_TRUE(near(PreviewPixel(0, 50), frameMean(50, 0)));
    EXPECT_TRUE(near(PreviewPixel(119, 179), frameMean(169, 129)));

    // Turned, the crop turns with the area.
    QTest::mouseClick(ui().Button7, Qt::LeftButton); // right: the area is 240 x 320
    QTest::mousePress(ui().Shape1, Qt::LeftButton, {}, QPoint(60, 90));
    QTest::mouseRelease(ui().Shape1, Qt::LeftButton, {}, QPoint(60, 90));
    const TRect turnedCrop = window->CropRect();
    ASSERT_GE(turnedCrop.Left, 0);
    ASSERT_GE(turnedCrop.Top, 0);
    QTest::mouseClick(ui().Button8, Qt::LeftButton);
    // Area pixel (u, v) of the turned area shows unturned area pixel (v, 239 - u).
    for (const QPoint p : {QPoint(0, 0), QPoint(119, 0), QPoint(0, 179), QPoint(60, 90), QPoint(119, 179)}) {
        const int u = turnedCrop.Left + p.x(), v = turnedCrop.Top + p.y();
        EXPECT_TRUE(near(PreviewPixel(p.x(), p.y()), frameMean(v, 239 - u))) << p.x() << "," << p.y();
    }

    // Zoomed in to the frame's own size, the crop copies the area's pixels.
    QTest::mouseClick(ui().Button6, Qt::LeftButton); // back upright
    QTest::mouseClick(ui().Button4, Qt::LeftButton);
    ASSERT_EQ(ui().Image2->size(), QSize(640, 480));
    QTest::mousePress(ui().Shape1, Qt::LeftButton, {}, QPoint(60, 90));
    QTest::mouseRelease(ui().Shape1, Qt::LeftButton, {}, QPoint(60, 90));
    const TRect zoomedCrop = window->CropRect();
    QTest::mouseClick(ui().Button8, Qt::LeftButton);
    for (int y = 0; y < 180; ++y)
        for (int x = 0; x < 120; ++x)
            ASSERT_EQ(PreviewPixel(x, y), AreaPixel(zoomedCrop.Left + x, zoomedCrop.Top + y)) << x << "," << y;
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(CaptureWindowTest, PhotoDayButtonLetsTheCameraGoAndAsksForTheDay)
{
    window->show();
    StartAndGrab(SyntheticCameraSource::TestPattern(640, 480));
    QWidget* preview = camera.PreviewWindow();
    QSignalSpy asked(window.get(), &TFrmGetPic::PhotoDayRequested);
    QTest::mouseClick(ui().photoDayButton, Qt::LeftButton);
    EXPECT_EQ(asked.size(), 1);
    // The day's window takes the camera: here the grab waits for "开始采集".
    EXPECT_FALSE(camera.IsConnected());
    EXPECT_FALSE(ui().Button3->isEnabled());
    // The picture being prepared stays, and so does the window.
    EXPECT_TRUE(window->isVisible());
    EXPECT_NE(ui().Image2->Picture().Graphic(), nullptr);
    for (QPushButton* button : EditingButtons())
        EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();

    QTest::mouseClick(ui().Button1, Qt::LeftButton);
    EXPECT_TRUE(camera.IsConnected());
    EXPECT_TRUE(ui().Button3->isEnabled());
    EXPECT_EQ(camera.PreviewWindow(), preview);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

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

TEST_F(CaptureWindowTest, ZoomKeepsWhatLiesUnderTheFramesCentreAndTurnsChangeTheArea)
{
    // The arithmetic is tried on the editing functions; here the buttons.
    StartAndGrab(SyntheticCameraSource::TestPattern(640, 480));
    const TColor topRight = AreaPixel(319, 0);
    // The frame's centre, and the picture's point under it as a share of the
    // picture's size.
    const QPoint frameCentre = ui().Shape1->geometry().center();
    const auto pointUnderCentre = [&] {
        const QPoint inArea = frameCentre - ui().Image2->pos();
        return QPointF(double(inArea.x()) / ui().Image2->width(), double(inArea.y()) / ui().Image2->height());
    };
    const QPointF underCentre = pointUnderCentre();
    // The crop rectangle is the part under the frame.
    const auto underFrame = [&] {
        const QPoint corner = ui().Shape1->pos() - ui().Image2->pos();
        return TRect{corner.x(), corner.y(), corner.x() + 120, corner.y() + 180};
    };
    const struct {
        QPushButton* button;
        QSize area;
        QPoint topRightNow;
    } steps[] = {
        {ui().Button4, {640, 480}, {639, 0}},
        {ui().Button5, {320, 240}, {319, 0}},
        {ui().Button6, {240, 320}, {0, 0}}, // the right edge comes to the top
        {ui().Button7, {320, 240}, {319, 0}},
    };
    for (const auto& step : steps) {
        QTest::mouseClick(step.button, Qt::LeftButton);
        EXPECT_EQ(ui().Image2->size(), step.area) << step.button->objectName().toStdString();
        EXPECT_EQ(AreaPixel(step.topRightNow.x(), step.topRightNow.y()), topRight);
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
    // Zoomed in, the point under the frame's centre stayed there (the old way
    // kept the picture's top left corner, and the face left the frame).
    QTest::mouseClick(ui().Button4, Qt::LeftButton);
    EXPECT_EQ(ui().Image2->geometry(), QRect(171 - 326, 153 - 290, 640, 480));
    EXPECT_EQ(window->CropRect(), underFrame());
    EXPECT_NEAR(pointUnderCentre().x(), underCentre.x(), 1.0 / 640);
    EXPECT_NEAR(pointUnderCentre().y(), underCentre.y(), 1.0 / 480);
    QTest::mouseClick(ui().Button5, Qt::LeftButton);
    EXPECT_EQ(ui().Image2->geometry(), QRect(8, 8, 320, 240));

    // Out to 2 by 1, always about the centre; the next step would leave an
    // empty area and is refused, leaving the picture where it is.
    for (int step = 0; step < 8; ++step)
        QTest::mouseClick(ui().Button5, Qt::LeftButton);
    EXPECT_EQ(ui().Image2->size(), QSize(2, 1));
    EXPECT_EQ(ui().Image2->Picture().Width(), 2);
    EXPECT_EQ(dialogs.messages, QStringList{Text("图片不能再缩小了！")});
    EXPECT_EQ(window->CropRect(), underFrame());
    EXPECT_NEAR(pointUnderCentre().x(), underCentre.x(), 0.5);
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

    // A mere press on the frame or the picture moves nothing (it made the
    // picture jump its centre to the pointer).
    for (QWidget* pressed : {static_cast<QWidget*>(ui().Shape1), static_cast<QWidget*>(ui().Image2)}) {
        QTest::mousePress(pressed, Qt::LeftButton, {}, QPoint(60, 90));
        QTest::mouseRelease(pressed, Qt::LeftButton, {}, QPoint(60, 90));
        EXPECT_EQ(ui().Image2->pos(), QPoint(8, 8));
        EXPECT_EQ(window->CropRect(), (TRect{105, 59, 225, 239}));
    }
    // Dragged by the frame, the picture moves as far as the pointer, and the
    // crop is the part under the frame.
    DragWithMouse(ui().Shape1, QPoint(60, 90), QPoint(64, 116));
    EXPECT_EQ(ui().Image2->pos(), QPoint(12, 34));
    EXPECT_EQ(window->CropRect(), (TRect{100, 30, 220, 210}));
    EXPECT_EQ(window->windowTitle(), Text("105     59")); // the frame leaves the caption alone
    EXPECT_EQ(ui().Shape1->geometry(), QRect(112, 64, 120, 180));

    // Dragged by the picture outside the frame: the crop from the scroll
    // box's middle, as the caption shows it.
    DragWithMouse(ui().Image2, QPoint(20, 30), QPoint(30, 50));
    EXPECT_EQ(ui().Image2->pos(), QPoint(22, 54));
    EXPECT_EQ(window->CropRect(), (TRect{91, 13, 211, 193}));
    EXPECT_EQ(window->windowTitle(), Text("91     13"));

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
    DragCentreUnderFrameTo(QPoint(60, 90));
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
    DragCentreUnderFrameTo(QPoint(110, 170));
    ASSERT_EQ(window->CropRect(), (TRect{50, -50, 170, 130}));
    QTest::mouseClick(ui().Button8, Qt::LeftButton);
    EXPECT_EQ(PreviewPixel(0, 0), clWhite);
    EXPECT_EQ(PreviewPixel(119, 49), clWhite);
    EXPECT_TRUE(near(PreviewPixel(0, 50), frameMean(50, 0)));
    EXPECT_TRUE(near(PreviewPixel(119, 179), frameMean(169, 129)));

    // Turned, the crop turns with the area.
    QTest::mouseClick(ui().Button7, Qt::LeftButton); // right: the area is 240 x 320
    DragCentreUnderFrameTo(QPoint(60, 90));
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
    DragCentreUnderFrameTo(QPoint(60, 90));
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

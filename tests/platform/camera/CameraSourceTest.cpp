#include "platform/camera/QtCameraSource.h"
#include "platform/camera/SyntheticCameraSource.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QVideoWidget>
#include <QWidget>

#include <gtest/gtest.h>

// On the test machine there is no camera: the preview window is made all the
// same, and a grab writes nothing.
TEST(QtCameraSourceTest, RepeatedStartsKeepOnePreviewWindow)
{
    QTemporaryDir dir;
    QWidget window;
    QtCameraSource camera;
    const QRect area(16, 24, 225, 257);
    ASSERT_TRUE(camera.StartPreview(&window, area));
    ASSERT_TRUE(camera.StartPreview(&window, area));
    camera.StopPreview();
    ASSERT_TRUE(camera.StartPreview(&window, area));

    const QList<QVideoWidget*> previews = window.findChildren<QVideoWidget*>();
    ASSERT_EQ(previews.size(), 1);
    EXPECT_EQ(previews[0]->geometry(), area);
    EXPECT_FALSE(previews[0]->isHidden());

    camera.SaveFrame(dir.filePath("temp.bmp"));
    EXPECT_FALSE(QFile::exists(dir.filePath("temp.bmp")));
    camera.StopPreview();
    camera.StopPreview();
}

TEST(SyntheticCameraSourceTest, WritesItsFrameOnlyWhileConnected)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("temp.bmp");
    QWidget window;
    SyntheticCameraSource camera(SyntheticCameraSource::TestPattern(64, 48));

    camera.SaveFrame(path);
    EXPECT_FALSE(QFile::exists(path));

    ASSERT_TRUE(camera.StartPreview(&window, {0, 0, 32, 24}));
    camera.SaveFrame(path);
    const QImage written(path, "BMP");
    EXPECT_EQ(written.size(), QSize(64, 48));
    EXPECT_EQ(written.pixel(63, 47), SyntheticCameraSource::TestPattern(64, 48).pixel(63, 47));

    ASSERT_TRUE(QFile::remove(path));
    camera.StopPreview();
    camera.SaveFrame(path);
    EXPECT_FALSE(QFile::exists(path));
}

// The capture window and the photo day's window share the camera: each start
// shows the one preview in the window that starts it, and none keeps a copy.
TEST(CameraSourceTest, AStartFromAnotherWindowMovesThePreviewThere)
{
    QtCameraSource qtCamera;
    SyntheticCameraSource syntheticCamera;
    for (CameraSource* camera : std::initializer_list<CameraSource*>{&qtCamera, &syntheticCamera}) {
        QWidget capture;
        QWidget photoDay;
        const QRect captureArea(16, 24, 225, 257);
        const QRect photoDayArea(8, 20, 240, 180);
        ASSERT_TRUE(camera->StartPreview(&capture, captureArea));
        const QList<QWidget*> first = capture.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        ASSERT_EQ(first.size(), 1);
        camera->StopPreview();

        ASSERT_TRUE(camera->StartPreview(&photoDay, photoDayArea));
        EXPECT_TRUE(capture.findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty());
        const QList<QWidget*> moved = photoDay.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        ASSERT_EQ(moved.size(), 1);
        EXPECT_EQ(moved[0], first[0]);
        EXPECT_EQ(moved[0]->geometry(), photoDayArea);
        EXPECT_FALSE(moved[0]->isHidden());
        camera->StopPreview();

        ASSERT_TRUE(camera->StartPreview(&capture, captureArea));
        EXPECT_TRUE(photoDay.findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty());
        EXPECT_EQ(capture.findChildren<QWidget*>(Qt::FindDirectChildrenOnly), first);
        EXPECT_EQ(first[0]->geometry(), captureArea);
        camera->StopPreview();
    }
}

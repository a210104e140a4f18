#pragma once

#include "picture/TBitmap.h"
#include "picture/TCanvas.h"
#include "platform/camera/SyntheticCameraSource.h"
#include "support/MouseDrag.h"
#include "support/QtPrinters.h"
#include "support/RecordingDialogs.h"
#include "support/TestFiles.h"
#include "widgets/WindowControls.h"
#include "windows/capture/GetPic.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// The capture window over a temporary program folder, with a camera of
// known frames and dialogs that record their messages.

inline QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

inline TColor FromQRgb(QRgb rgb)
{
    return RGB(static_cast<std::uint8_t>(qRed(rgb)), static_cast<std::uint8_t>(qGreen(rgb)),
               static_cast<std::uint8_t>(qBlue(rgb)));
}

class CaptureWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(programDir.isValid());
        programFolder = programDir.path() + QDir::separator();
        window = std::make_unique<TFrmGetPic>(dialogs, camera, programFolder);
    }

    Ui::TFrmGetPic& ui() { return Controls(*window); }

    QString ScratchFile() const { return programFolder + "temp.bmp"; }
    QString OutputFile(const QString& name) const { return programFolder + "modified/" + name + ".jpg"; }
    void MakeOutputFolder() { ASSERT_TRUE(QDir(programFolder).mkpath("modified")); }

    void StartAndGrab(const QImage& frame)
    {
        camera.SetFrame(frame);
        QTest::mouseClick(ui().Button1, Qt::LeftButton);
        QTest::mouseClick(ui().Button3, Qt::LeftButton);
    }

    // Drags the picture by the frame so that its centre comes to `point` of
    // the frame: the picture taken anywhere and moved as far as that needs.
    void DragCentreUnderFrameTo(QPoint point)
    {
        const QPoint press(60, 90);
        const QPoint centre =
            ui().Image2->pos() + QPoint(ui().Image2->width() / 2, ui().Image2->height() / 2) - ui().Shape1->pos();
        DragWithMouse(ui().Shape1, press, press + point - centre);
    }

    TColor AreaPixel(int x, int y) { return ui().Image2->Picture().Bitmap().Canvas().GetPixel(x, y); }
    TColor PreviewPixel(int x, int y) { return ui().Image3->Picture().Bitmap().Canvas().GetPixel(x, y); }

    QList<QPushButton*> EditingButtons()
    {
        return {ui().Button4, ui().Button5, ui().Button6,        ui().Button7,
                ui().Button8, ui().Button9, ui().autoFrameButton};
    }

    QTemporaryDir programDir;
    QString programFolder;
    RecordingDialogs dialogs;
    SyntheticCameraSource camera;
    std::unique_ptr<TFrmGetPic> window;
};

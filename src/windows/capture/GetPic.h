#pragma once

#include "picture/DisplayColorDepth.h"
#include "picture/TColor.h"
#include "widgets/WindowControls.h"

#include "ui_GetPic.h"

#include <QDialog>
#include <QString>

#include <filesystem>
#include <memory>

class CameraSource;
class CropEditor;
class Dialogs;
class QAbstractButton;

// The capture and crop window: takes a picture from the camera or from a JPEG
// file of a chosen folder into the picture area (Image2), lets the user zoom,
// turn and move it under the red frame (Shape1), crops the framed 120 by 180
// pixels into the preview (Image3) and saves that under a typed name in the
// folder "modified" beside the program. Its data lives in its controls;
// besides them it keeps only whether the camera preview was made, and (in
// its crop editor) the picture as loaded and the crop rectangle.
// "按名单拍照" asks for the photo day, which has a window of its own.
class TFrmGetPic : public QDialog {
    Q_OBJECT
public:
    // The caption every activation restores (dragging writes numbers into it).
    static const QString kCaption;

    // `programFolder` is a folder string (ending with a separator): the
    // scratch file "temp.bmp" and the output folder "modified" live there.
    // The pictures are drawn, and the crops saved, at `displayDepth`.
    TFrmGetPic(Dialogs& dialogs, CameraSource& camera, QString programFolder, QWidget* parent = nullptr,
               DisplayColorDepth displayDepth = {});
    ~TFrmGetPic() override;

    // The face detector's model for "自动定位"; it starts as the running
    // program's own (FaceDetector::DefaultCascadeFile).
    void UseFaceModel(std::filesystem::path model);

    // The part of the picture area's picture that the crop copies, in that
    // picture's pixel coordinates.
    const TRect& CropRect() const;
    QString ScratchFilePath() const;
    QString OutputFolder() const;

    // What the window manager reports while something is dragged over the
    // picture area or the frame: the pointer in that control's coordinates.
    void Image2DragOver(int x, int y);
    void Shape1DragOver(int x, int y);

    // Every way of closing ends here, and runs the closing clean-up first.
    void done(int result) override;

signals:
    // "按名单拍照": the photo day is wanted. The camera has been let go for
    // the day's window to take.
    void PhotoDayRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FormCreate();
    void FormActivate();
    void FormCloseQuery();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();
    void Button9Click();
    void Button10Click();
    void Button11Click();
    void ListBox1Click();
    void AutoFrameButtonClick();
    void PhotoDayButtonClick();

    // Connects a button to a handler whose uncaught errors reach the user.
    void ConnectHandler(QAbstractButton* button, void (TFrmGetPic::*handler)());
    // Releases the camera, if this window started it; the grab waits for the
    // next start.
    void StopCamera();
    // The picture just loaded into the picture area, shown at its place.
    void ShowPicture();
    void SetEditingEnabled(bool enabled);

    Dialogs& dialogs_;
    CameraSource& camera_;
    const QString programFolder_;
    // Whether the last start made a preview window (the capture window's
    // handle being non-zero). Never reset by stopping or closing.
    bool captureWindow_ = false;
    // Zoom, turns, dragging, "自动定位" and the crop on Image2, Shape1 and
    // Image3; it keeps the picture as loaded and the crop rectangle.
    std::unique_ptr<CropEditor> editor_;

    friend struct WindowControls<TFrmGetPic>;
    Ui::TFrmGetPic ui;
};

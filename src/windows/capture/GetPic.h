#pragma once

#include "photoday/SiteStudents.h"
#include "photoday/StudentPanel.h"
#include "picture/DisplayColorDepth.h"
#include "picture/TColor.h"
#include "widgets/CropEditor.h"

#include "ui_GetPic.h"

#include <QDialog>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <functional>
#include <memory>

class CameraSource;
class PhotoDaySession;
class QShortcut;
class Dialogs;

// The capture and crop window: takes a picture from the camera or from a JPEG
// file of a chosen folder into the picture area (Image2), lets the user zoom,
// turn and move it under the red frame (Shape1), crops the framed 120 by 180
// pixels into the preview (Image3) and saves that under a typed name in the
// folder "modified" beside the program. Its data lives in its controls;
// besides them it keeps only whether the camera preview was made and the
// crop rectangle.
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
    void UseFaceModel(std::filesystem::path model) { editor_->UseFaceModel(std::move(model)); }

    // The part of the picture area's picture that the crop copies, in that
    // picture's pixel coordinates.
    const TRect& CropRect() const { return editor_->CropRect(); }
    QString ScratchFilePath() const;
    QString OutputFolder() const;

    // What the window manager reports while something is dragged over the
    // picture area or the frame: the pointer in that control's coordinates.
    void Image2DragOver(int x, int y);
    void Shape1DragOver(int x, int y);

    // Every way of closing ends here, and runs the closing clean-up first.
    void done(int result) override;

    // How the photo day reads a roster file: its codes, or an exception
    // whose message the user is shown. Until one is given the photo day
    // cannot start.
    void UseRosterReader(std::function<QStringList(const QString& path)> readRoster)
    {
        readRoster_ = std::move(readRoster);
    }

    // How the photo day finds who the roster's students are on the site:
    // their names and current photos, read once when the day starts, or an
    // exception whose message the user is shown (the day goes on without
    // them). Without it the photo day shows the codes alone.
    void UseStudentLookup(StudentLookup lookUp) { lookUpStudents_ = std::move(lookUp); }
    // How a current photo is made small enough to show: at most `box`, its
    // shape kept; a null image when the file is no picture. Without it no
    // current photo is shown.
    void UseThumbnails(ThumbnailMaker makeThumbnail) { makeThumbnail_ = std::move(makeThumbnail); }

    // The photo day ("按名单拍照") going on, or nullptr.
    const PhotoDaySession* PhotoDay() const { return photoDay_.get(); }

    Ui::TFrmGetPic ui;

signals:
    // "交给主窗口": the photo day's output folder, its photos named by code.
    void PhotoDayHandedOver(const QString& outputFolder);

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
    void Button12Click();
    void ListBox1Click();
    // The photo day: Button13 starts it (roster, output folder), Button14
    // saves the framed picture as the current student's and moves on,
    // Button15 records the student absent, Button16 goes back one, Button17
    // hands the folder to the main window.
    void Button13Click();
    void Button14Click();
    void Button15Click();
    void Button16Click();
    void Button17Click();
    // Shows the session's position, its roster with each student's state,
    // and the controls of the mode; with no session, the window as it was.
    void ShowPhotoDay();
    // After a step of the day: the picture emptied, the student the session
    // reached shown, and at the end of the roster what became of it.
    void ShowStudentReached();
    // The current student's name and photo on the site, beside the camera's.
    void ShowCurrentStudent();
    // The design size of the mode the window is in; the photo day's is wider
    // by the student's panel.
    QSize DesignSize() const;
    // The picture area and the preview emptied, so that nothing of one
    // student can be saved as the next one's.
    void ClearPictures();

    // Connects a button to a handler whose uncaught errors reach the user.
    void ConnectHandler(QAbstractButton* button, void (TFrmGetPic::*handler)());
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
    std::function<QStringList(const QString&)> readRoster_;
    std::unique_ptr<PhotoDaySession> photoDay_;
    StudentLookup lookUpStudents_;
    ThumbnailMaker makeThumbnail_;
    // The photo day's students on the site, read when the day started.
    SiteStudents students_;
    // The surface the controls scroll on (its size is the design size).
    QWidget* surface_ = nullptr;
    // Space, Enter and S of the photo day.
    QList<QShortcut*> photoDayKeys_;
};

#pragma once

#include "photoday/SiteStudents.h"
#include "photoday/StudentPanel.h"
#include "picture/DisplayColorDepth.h"
#include "widgets/WindowControls.h"

#include "ui_PhotoDay.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <functional>
#include <memory>

class CameraSource;
class CropEditor;
class Dialogs;
class PhotoDaySession;
class QAbstractButton;

// The photo day ("按名单拍照"): the students of a roster photographed in
// roster order with the camera's live picture beside the picture area. Space
// grabs a frame, the picture is zoomed, turned, dragged or framed
// automatically under the red frame as in the capture window, and the
// preview beside it always shows the 120 by 180 pixels that "保存并下一位"
// (Enter) will save as the student's CODE.jpg; "缺席" (S) records the
// student absent, "重拍" goes back one, a click on the roster goes to that
// student. "当前学生" shows who the site says the student is and the photo it
// holds now. "交给主窗口" hands the folder to the main window. The day's
// progress is kept in its folder after every step, so that choosing the same
// roster and folder again resumes it.
class TFrmPhotoDay : public QDialog {
    Q_OBJECT
public:
    // `programFolder` is a folder string (ending with a separator): the
    // camera's frames pass through its scratch file. The pictures are drawn,
    // and the photos saved, at `displayDepth`.
    TFrmPhotoDay(Dialogs& dialogs, CameraSource& camera, QString programFolder, QWidget* parent = nullptr,
                 DisplayColorDepth displayDepth = {});
    ~TFrmPhotoDay() override;

    // How the roster file is read: its codes, or an exception whose message
    // the user is shown. Until one is given no day can start.
    void UseRosterReader(std::function<QStringList(const QString& path)> readRoster)
    {
        readRoster_ = std::move(readRoster);
    }
    // How the roster's students are found on the site (SiteStudents.h);
    // without it the day shows the codes alone.
    void UseStudentLookup(StudentLookup lookUp) { lookUpStudents_ = std::move(lookUp); }
    // How the site's photos are made small enough to show; without it none
    // is shown.
    void UseThumbnails(ThumbnailMaker makeThumbnail) { makeThumbnail_ = std::move(makeThumbnail); }
    // The face detector's model for "自动定位"; it starts as the running
    // program's own.
    void UseFaceModel(std::filesystem::path model);

    // Asks for the roster and the output folder, starts the day (or resumes
    // the one kept there) and shows the window, modal, over the others; it
    // returns at once. A roster or folder that cannot serve is reported and
    // no window is shown.
    void StartDay();

    // The day going on while the window is shown, or nullptr.
    const PhotoDaySession* Day() const { return day_.get(); }

    // Every way of closing ends here: the camera is let go and the day ends
    // (its progress file resumes it).
    void done(int result) override;

signals:
    // "交给主窗口": the day's output folder, its photos named by code.
    void PhotoDayHandedOver(const QString& outputFolder);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void GrabButtonClick();
    void ZoomInButtonClick();
    void ZoomOutButtonClick();
    void TurnLeftButtonClick();
    void TurnRightButtonClick();
    void AutoFrameButtonClick();
    void SaveNextButtonClick();
    void AbsentButtonClick();
    void RetakeButtonClick();
    void RosterListClick();
    void HandOverButtonClick();

    // Starting: the roster and folder chosen, the session and the site's
    // students read; false when the user cancelled.
    bool OpenDay();
    // The grab's seam: after every grab and every change of the picture, the
    // framed 120 by 180 pixels into the preview, as they will be saved.
    void ShowFramedPreview();
    // After a step of the day: the pictures emptied, the student the day
    // reached shown, and at the end of the roster what became of it.
    void ShowStudentReached();
    // The roster with each student's state, the position and the buttons
    // the position allows.
    void ShowRoster();
    void ShowCurrentStudent();
    void SetEditingEnabled(bool enabled);
    // Connects a button to a handler whose uncaught errors reach the user.
    void ConnectHandler(QAbstractButton* button, void (TFrmPhotoDay::*handler)());

    Dialogs& dialogs_;
    CameraSource& camera_;
    const QString programFolder_;
    std::function<QStringList(const QString&)> readRoster_;
    StudentLookup lookUpStudents_;
    ThumbnailMaker makeThumbnail_;
    // Zoom, turns, dragging, "自动定位" and the crop on the picture area,
    // the frame and the preview.
    std::unique_ptr<CropEditor> editor_;
    std::unique_ptr<PhotoDaySession> day_;
    // The day's students on the site, read when it started.
    SiteStudents students_;
    // Whether this window started the camera's preview (and must stop it).
    bool cameraStarted_ = false;

    friend struct WindowControls<TFrmPhotoDay>;
    Ui::TFrmPhotoDay ui;
};

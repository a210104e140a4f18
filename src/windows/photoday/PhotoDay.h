#pragma once

#include "photoday/CardSelection.h"
#include "photoday/PhotoDayHandOver.h"
#include "photoday/Shot.h"
#include "photoday/ShotVerdict.h"
#include "photoday/SiteStudents.h"
#include "photoday/StudentPanel.h"
#include "picture/DisplayColorDepth.h"
#include "widgets/WindowControls.h"

#include "ui_PhotoDay.h"

#include <QDialog>
#include <QFutureWatcher>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class BackgroundCardReading;
class BackgroundShotChecks;
class CameraSource;
class CropEditor;
class Dialogs;
class PhotoDaySession;
class QAbstractButton;

// The photo day ("按名单拍照"): the students of a roster photographed with the
// camera's live picture beside the picture area. Space grabs a frame, which
// is framed on its face at once and checked in the background (one face,
// large, sharp and well lit enough, the site photo's person); the problems
// show in red beside the preview, which always shows the 120 by 180 pixels
// that "保存并下一位" (Enter) saves as the student's CODE.jpg, with the
// camera's whole frame as 原图/CODE.jpg. A shot with problems is saved only
// when the photographer says so. A, the arrow keys and + − re-frame, move
// and zoom; "缺席" (S) records the student absent, "重拍" (Backspace) goes
// back one, a click on the roster or a student's card held up before the
// camera goes to that student. "当前学生" shows who the site says the
// student is and the photo it holds now. "学生卡" writes the roster's cards;
// "交给主窗口" hands the day to the main window after a summary. The day's
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
    // Where the roster chooser opens: the site's folder, where the codes are
    // most likely kept; empty for the platform's choice.
    void UseRosterFolder(std::function<QString()> rosterFolder) { rosterFolder_ = std::move(rosterFolder); }
    // How the roster's students are found on the site (SiteStudents.h);
    // without it the day shows the codes alone.
    void UseStudentLookup(StudentLookup lookUp) { lookUpStudents_ = std::move(lookUp); }
    // How the site's photos are made small enough to show; without it none
    // is shown.
    void UseThumbnails(ThumbnailMaker makeThumbnail) { makeThumbnail_ = std::move(makeThumbnail); }
    // How a file the day wrote (the cards' sheet) is opened for the user;
    // without it the day only says where it is.
    void UseFileOpener(std::function<void(const QString& path)> openFile) { openFile_ = std::move(openFile); }
    // The face detector's model for the framing and the checks; it starts as
    // the running program's own. The face descriptor network, which tells
    // whether the site photo's person stands before the camera, is always
    // the one beside the program.
    void UseFaceModel(std::filesystem::path model);

    // Asks for the roster and the output folder, starts the day (or resumes
    // the one kept there) with the camera, and shows the window, modal, over
    // the others; it returns at once. A roster or folder that cannot serve
    // is reported and no window is shown.
    void StartDay();

    // The day going on while the window is shown, or nullptr.
    const PhotoDaySession* Day() const { return day_.get(); }
    // The verdict on the shot in hand, once its checks are done.
    const std::optional<ShotVerdict>& Verdict() const { return verdict_; }

    // Every way of closing ends here: the camera is let go and the day ends
    // (its progress file resumes it).
    void done(int result) override;

signals:
    // "交给主窗口": the roster, its photos' folder and the absent students.
    void PhotoDayHandedOver(const PhotoDayHandOver& handOver);

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
    void CardsButtonClick();

    // Starting: the roster and folder chosen, the session and the site's
    // students read; false when the user cancelled.
    bool OpenDay();
    // Starts the camera's live picture in the window; false, having said
    // why, when there is none.
    bool StartCamera();
    // The grab's seam: after every grab and every change of the picture, the
    // framed 120 by 180 pixels into the preview, as they will be saved.
    void ShowFramedPreview();
    // Moves the picture under the frame by a step of the arrow keys.
    void Nudge(QPoint step);
    // The checks of the shot in hand: started, shown when they are done, and
    // waited for before a save.
    void CheckShot();
    void ShowVerdict();
    ShotVerdict AwaitVerdict();
    // A look at the camera for students' cards, and what a card selected.
    void LookForCards();
    void ShowCardsSeen();
    // After a step of the day: the pictures and the shot emptied, the
    // student the day reached shown, and at the end of the roster what
    // became of it.
    void ShowStudentReached();
    // The roster with each student's state, the position and the buttons
    // the position allows.
    void ShowRoster();
    void ShowCurrentStudent();
    void SetEditingEnabled(bool enabled);
    // The site's current photo of the student at `student`; empty: none.
    QString SitePhotoOf(qsizetype student) const;
    void MakeChecks();
    // Connects a button to a handler whose uncaught errors reach the user.
    void ConnectHandler(QAbstractButton* button, void (TFrmPhotoDay::*handler)());

    Dialogs& dialogs_;
    CameraSource& camera_;
    const QString programFolder_;
    std::function<QStringList(const QString&)> readRoster_;
    std::function<QString()> rosterFolder_;
    StudentLookup lookUpStudents_;
    ThumbnailMaker makeThumbnail_;
    std::function<void(const QString&)> openFile_;
    std::filesystem::path faceModel_; // empty: the running program's
    // Zoom, turns, dragging, "自动定位" and the crop on the picture area,
    // the frame and the preview.
    std::unique_ptr<CropEditor> editor_;
    std::unique_ptr<PhotoDaySession> day_;
    QString rosterFile_;
    // The day's students on the site, read when it started.
    SiteStudents students_;
    // Whether this window started the camera's preview (and must stop it).
    bool cameraStarted_ = false;

    // The grab in hand, bound to its student, and its checks.
    std::optional<Shot> shot_;
    std::optional<ShotVerdict> verdict_;
    std::unique_ptr<BackgroundShotChecks> checks_;
    QFutureWatcher<ShotVerdict> checking_;

    // The students' cards read from the live picture.
    std::unique_ptr<BackgroundCardReading> cardReading_;
    QFutureWatcher<QStringList> cardLook_;
    std::optional<CardSelection> cardSelection_;
    QTimer cardTimer_;

    friend struct WindowControls<TFrmPhotoDay>;
    Ui::TFrmPhotoDay ui;
};

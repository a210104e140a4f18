#pragma once

#include "resize/BackgroundResize.h"
#include "widgets/WindowControls.h"

#include "ui_ModifyPic.h"

#include <QDialog>
#include <QStringList>

#include <filesystem>
#include <optional>

class Dialogs;

// The batch resize window: scales every JPEG picture of a source folder to
// one width and height into a target folder (BatchResize.h does the work),
// and on every closing hands the target folder and its pictures over
// (PicturesHandedOver, which the program connects to the main window) as the
// photo list of the next run: after a run in this showing the pictures that
// run wrote, in order (a folder may still hold pictures of older runs, which
// would pair students with the wrong photos); without one, the folder's
// pictures. Its data lives in its controls:
// Edit1/Edit2 the size, Edit3 the source folder, Edit4 the target folder,
// chklstbox the picture list, ComboBox1 the fit mode, CheckBox1 the
// smoothing, formatCombo the outputs' format (JPEG, or BMP data).
class TfrmPicture : public QDialog {
    Q_OBJECT
public:
    // Centred on `owner` when shown. The pictures are written at `displayDepth`.
    TfrmPicture(Dialogs& dialogs, QWidget* owner, DisplayColorDepth displayDepth = {});

    // The face detector's model for face mode; it starts as the running
    // program's own (FaceDetector::DefaultCascadeFile).
    void UseFaceModel(std::filesystem::path model) { faceModel_ = std::move(model); }

    // Every way of closing (退出, the close box, Esc) ends here; during a
    // run the user is asked first whether to stop it.
    void done(int result) override;

signals:
    // 开始 has been handled: the run it started has ended and its message
    // was shown, or it was refused with a message.
    void RunFinished();
    // The window closed: the photo folder and the names of its pictures to
    // pair with the students, in order (none when there is nothing to hand over).
    void PicturesHandedOver(const QString& photoFolder, const QStringList& names);

protected:
    void showEvent(QShowEvent* event) override;

private:
    friend struct WindowControls<TfrmPicture>;

    void FormActivate();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    // Stops a run going on, when the user agrees, and hands over; false
    // keeps the window open and the run going.
    bool FormCloseQuery();
    void HandOverPictures();
    void ShowProgress(int sequenceNumber, int total);
    void RunEnded(const ResizeOutcome& outcome);
    // The controls that would change a run are locked while it goes.
    // The run that ended wrote these: they are what closing hands over.
    void NoteWritten(const ResizeOutcome& outcome);
    void SetRunning(bool running);
    // The smoothing box follows the fit mode: stretch mode's own choice, or
    // ticked and fixed for crop and face mode, which always sample smoothly.
    void ComboBox1Change();
    Sampling ChosenSampling() const;

    Ui::TfrmPicture ui;
    Dialogs& dialogs_;
    const DisplayColorDepth displayDepth_;
    std::filesystem::path faceModel_; // empty: the running program's model
    BackgroundResize run_;

    // The last run of this showing: where it wrote, and what, in order.
    struct WrittenPictures {
        QString targetFolder;
        QStringList names;
    };
    std::optional<WrittenPictures> lastRun_;
    // Where the run going on, or the last one, writes.
    QString runTarget_;
    // Whether stretch mode samples smoothly ("平滑"), kept from one showing
    // to the next like the fit mode.
    bool smoothStretch_ = false;
};

#pragma once

#include "assignment/journal/JournalStore.h"
#include "assignment/run/AssignmentRun.h"
#include "assignment/site/StudentCards.h"
#include "platform/database/TADOQuery.h"
#include "widgets/WaitCursor.h"
#include "widgets/WindowControls.h"
#include "windows/main/ProofSheet.h"

#include "ui_Form1.h"

#include <QHash>
#include <QScopedValueRollback>
#include <QWidget>

#include <filesystem>
#include <optional>

class Dialogs;
class InstallationFolderStore;
class QDialog;

// The main window: installation folder, roster, photo list and the
// assignment run. Its data lives in its controls: Edit1 the installation
// folder, Edit3 the photo folder, ListBox1 the student codes, ListBox2 the
// photo file names.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    // The application title, also the caption of every message box.
    static const QString kTitle;
    // Edit1 holds this until an installation folder is known.
    static const QString kFolderNotChosen;
    // The client area the controls are laid out on.
    static constexpr QSize kDesignSize{405, 496};
    // Status panel 0 after a run that was called off before it changed anything.
    static const QString kCancelledStatus;

    TForm1(Dialogs& dialogs, const InstallationFolderStore& folderStore, QWidget* parent = nullptr);

    // The capture window and the resize window, shown modally by Button7 and Button8.
    void AttachSideWindows(QDialog* captureWindow, QDialog* resizeWindow);

    // What the resize window hands over when it closes: the photo folder and
    // the names of its pictures. Edit3 takes the folder and ListBox2 the
    // names, emptied first even when there are none; panel 1 counts them
    // only when there is at least one.
    void TakePhotoList(const QString& photoFolder, const QStringList& names);

    // What the capture window's photo day hands over: its roster, the
    // folder of its photos named by code, and the students recorded absent.
    // ListBox1 takes the roster, the photo list becomes the folder's photos
    // and the pairing "按文件名"; the plan tells the absent students (until
    // another roster is loaded) apart from the photos missing.
    void TakePhotoDay(const QStringList& roster, const QString& photoFolder, const QStringList& absent);

    // The students with these codes on the chosen site, for the capture
    // window's photo day: names, classes and current photos (StudentCards.h). Throws
    // std::runtime_error when no installation folder is chosen, and the
    // errors of reading the site.
    QHash<QString, StudentCard> LookUpStudents(const QStringList& codes);

    // The pairing chosen in pairingCombo ("对应方式"), in the order of its items.
    PairingMode Pairing() const;

    // The ODBC driver of the assignment run's database connection; it starts
    // as DefaultOdbcDriver() (OdbcConnectionString.h).
    void UseOdbcDriver(const QString& odbcDriver) { ADOQuery1.SetOdbcDriver(odbcDriver); }

    // Where runs are journaled, and the faces of the site's photos kept for
    // the proof sheet; it starts as JournalStore::DefaultDataFolder().
    void UseJournal(const JournalStore& journal)
    {
        journal_ = journal;
        UseFaceModel(faceModel_);
    }
    // What asks the user to approve a run's plan; it starts as the proof sheet.
    void UsePlanReview(PlanReview& review) { planReview_ = &review; }
    // The face model the proof sheet's face review loads its detector from;
    // it starts as FaceDetector::DefaultCascadeFile().
    void UseFaceModel(const std::filesystem::path& faceModel)
    {
        faceModel_ = faceModel;
        proofSheet_.UseFaceExamination(SurveyAndCheckFaces(SurveySetup{
            .cascadeFile = faceModel, .descriptorModel = {}, .threads = 0, .dataFolder = journal_.DataFolder()}));
    }

protected:
    void showEvent(QShowEvent* event) override;
    // Refused while an assignment run goes on.
    void closeEvent(QCloseEvent* event) override;

private:
    friend struct WindowControls<TForm1>;

    void FormCreate();
    void FormActivate();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();
    // The controls the window design did not have are named by their role,
    // and so are their handlers: undoButton ("撤销上次设置") and
    // pairingCombo ("对应方式"), exportButton ("导出学籍照片").
    void UndoLastRun();
    // The student-register export of the site's students (of the roster's,
    // when one is loaded) into a folder the user chooses: the gauge moves per
    // student, and the summary is shown at the end (RegisterExport.h).
    void ExportRegisterPhotos();
    void ChangePairing();
    // Button2 in "按对照表": the index file, whose photos ListBox2 then shows.
    void LoadIndexFile();

    // While it lives, the window shows the wait cursor, takes no input and
    // refuses to close: an assignment run or an undo goes on.
    class InputHeld {
    public:
        explicit InputHeld(TForm1& form);

    private:
        WaitCursor busy_;
        QScopedValueRollback<bool> running_;
    };

    void Report(const AssignmentOutcome& outcome);
    // `declinedWithoutJournal` is set when the user chose not to run on
    // without an undo record; nothing was changed then.
    AssignmentOutcome RunWhilePainting(const AssignmentPlan& plan, bool& declinedWithoutJournal);
    // ListBox1 takes the codes, and panel 0 counts them.
    void ShowRoster(const QStringList& codes);
    // Moves the gauge to `done` and lets the windows repaint.
    void MoveGauge(qsizetype done);
    // The gauge at 0 of the roster's length.
    void ResetGauge();
    // Edit1's folder, or nothing while none has been chosen.
    std::optional<QString> InstallationFolder() const;

    Dialogs& dialogs_;
    const InstallationFolderStore& folderStore_;
    // The database access of the assignment run.
    TADOQuery ADOQuery1;
    JournalStore journal_;
    std::filesystem::path faceModel_; // the face detector's model, for the proof sheet and the export
    ProofSheetReview proofSheet_;
    PlanReview* planReview_ = &proofSheet_;
    QDialog* captureWindow_ = nullptr;
    QDialog* resizeWindow_ = nullptr;
    bool shownBefore_ = false;
    bool runInProgress_ = false;
    // Where the last export went: the next export's folder dialog opens there.
    QString exportFolder_;
    // Where the last roster came from: the next roster dialog opens there.
    QString rosterFolder_;
    // The students a photo day recorded absent, for the roster it handed over.
    QStringList absentCodes_;
    // The index file of "按对照表" (Edit3 shows it; empty while none is
    // loaded) and its rows as read when it was loaded (ListBox2 shows their
    // photos): the run pairs these very rows.
    QString indexFile_;
    QList<PhotoIndexRow> indexRows_;
    // Whether Edit3 and ListBox2 show an index rather than a photo list.
    bool indexShown_ = false;

    Ui::TForm1 ui;
};

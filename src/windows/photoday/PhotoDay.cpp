#include "windows/photoday/PhotoDay.h"

#include "photoday/PhotoDaySession.h"
#include "photoday/PhotoDayTexts.h"
#include "photoday/SaveStudentPhoto.h"
#include "platform/camera/CameraSource.h"
#include "widgets/CameraGrab.h"
#include "widgets/CentreOnScreen.h"
#include "widgets/CropEditor.h"
#include "widgets/Dialogs.h"
#include "widgets/FitToScreen.h"
#include "widgets/KeepOpenOnEscape.h"
#include "widgets/ReportErrors.h"
#include "widgets/WaitCursor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QShortcut>
#include <QSignalBlocker>

#include <utility>

namespace {

// The client area the controls are laid out on.
constexpr QSize kDesignSize(1104, 384);

} // namespace

TFrmPhotoDay::TFrmPhotoDay(Dialogs& dialogs, CameraSource& camera, QString programFolder, QWidget* parent,
                           DisplayColorDepth displayDepth)
    : QDialog(parent), dialogs_(dialogs), camera_(camera), programFolder_(std::move(programFolder))
{
    ui.setupUi(this);
    // Fixed border, close box only; over the other windows while the day lasts.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowModality(Qt::ApplicationModal);
    PutControlsOnScrollingSurface(*this, kDesignSize);
    FitToScreen(*this, kDesignSize);
    KeepOpenOnEscape(*this);
    ui.pictureArea->SetDisplayDepth(displayDepth);
    ui.framedPreview->SetDisplayDepth(displayDepth);
    // The keys are the day's own: typing on the roster goes to no student.
    ui.rosterList->SetTypingSelects(false);
    editor_ = std::make_unique<CropEditor>(
        CropEditor::Controls{*ui.pictureBox, *ui.pictureArea, *ui.cropFrame, *ui.framedPreview});
    editor_->OnDragged([this](CropEditor::Dragged) { ShowFramedPreview(); });

    ConnectHandler(ui.grabButton, &TFrmPhotoDay::GrabButtonClick);
    ConnectHandler(ui.zoomInButton, &TFrmPhotoDay::ZoomInButtonClick);
    ConnectHandler(ui.zoomOutButton, &TFrmPhotoDay::ZoomOutButtonClick);
    ConnectHandler(ui.turnLeftButton, &TFrmPhotoDay::TurnLeftButtonClick);
    ConnectHandler(ui.turnRightButton, &TFrmPhotoDay::TurnRightButtonClick);
    ConnectHandler(ui.autoFrameButton, &TFrmPhotoDay::AutoFrameButtonClick);
    ConnectHandler(ui.saveNextButton, &TFrmPhotoDay::SaveNextButtonClick);
    ConnectHandler(ui.absentButton, &TFrmPhotoDay::AbsentButtonClick);
    ConnectHandler(ui.retakeButton, &TFrmPhotoDay::RetakeButtonClick);
    ConnectHandler(ui.handOverButton, &TFrmPhotoDay::HandOverButtonClick);
    // A click goes to that student, also on the one selected already.
    connect(ui.rosterList, &QListWidget::itemSelectionChanged, this, &TFrmPhotoDay::RosterListClick);
    connect(ui.rosterList, &TListBox::SelectedItemPressed, this, &TFrmPhotoDay::RosterListClick);
    // The keys work wherever the focus is; a key whose button is unusable
    // does nothing, and a key held down acts once: its repeats would save
    // or skip the students after.
    const auto addKey = [this](int key, QPushButton* button) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setAutoRepeat(false);
        connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isEnabled())
                button->click();
        });
    };
    addKey(Qt::Key_Space, ui.grabButton);
    addKey(Qt::Key_Return, ui.saveNextButton);
    addKey(Qt::Key_Enter, ui.saveNextButton);
    addKey(Qt::Key_S, ui.absentButton);
    SetEditingEnabled(false);
}

TFrmPhotoDay::~TFrmPhotoDay() = default;

void TFrmPhotoDay::ConnectHandler(QAbstractButton* button, void (TFrmPhotoDay::*handler)())
{
    connect(button, &QAbstractButton::clicked, this,
            [this, handler] { ReportErrors(dialogs_, [&] { (this->*handler)(); }); });
}

void TFrmPhotoDay::UseFaceModel(std::filesystem::path model)
{
    editor_->UseFaceModel(std::move(model));
}

// ---- starting and ending ----

void TFrmPhotoDay::StartDay()
{
    bool started = false;
    ReportErrors(dialogs_, [&] { started = OpenDay(); });
    if (!started)
        return;
    show();
    // The camera's one preview comes over from the capture window.
    cameraStarted_ = [&] {
        const WaitCursor busy; // the camera takes a moment to start
        return camera_.StartPreview(ui.cameraPlace, ui.cameraPlace->rect());
    }();
    ui.grabButton->setEnabled(cameraStarted_);
    // The day does not need the site: it goes on with the codes alone.
    if (const QString failure = students_.FailureMessage(); !failure.isEmpty())
        dialogs_.ShowMessage(failure);
    if (day_->Resumed())
        dialogs_.ShowMessage(ResumedMessage(*day_));
    // The preview would stay black without a word.
    if (cameraStarted_ && !camera_.CameraFound())
        dialogs_.ShowMessage(kNoCameraMessage);
}

bool TFrmPhotoDay::OpenDay()
{
    if (!readRoster_)
        return false;
    // The window is not shown yet: the choosers stand over the one that asked.
    QWidget* owner = parentWidget();
    const QString rosterFile = dialogs_.ChooseFile(owner, QStringLiteral("支持的文件(txt)|*.txt"), QString());
    if (rosterFile.isEmpty())
        return false;
    // A roster that cannot be read is reported before any folder is asked for.
    const QStringList codes = readRoster_(rosterFile);
    const std::optional<QString> folder = dialogs_.ChooseFolder(owner, QFileInfo(rosterFile).absolutePath());
    if (!folder)
        return false;
    day_ = std::make_unique<PhotoDaySession>(codes, *folder);
    students_ = [&] {
        const WaitCursor busy; // one query for the whole roster
        return SiteStudents::Read(lookUpStudents_, codes);
    }();
    ui.outputFolderEdit->setText(QDir::toNativeSeparators(day_->OutputFolder()));
    editor_->EmptyAll();
    SetEditingEnabled(false);
    ShowRoster();
    ShowCurrentStudent();
    return true;
}

void TFrmPhotoDay::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FitToScreen(*this, kDesignSize);
    CentreOnScreen(*this);
}

void TFrmPhotoDay::done(int result)
{
    editor_->EmptyAll();
    SetEditingEnabled(false);
    QFile::remove(ScratchFrameFile(programFolder_));
    if (cameraStarted_)
        camera_.StopPreview();
    cameraStarted_ = false;
    // The day ends with the window; its progress file resumes it.
    day_.reset();
    students_ = {};
    const QSignalBlocker quiet(ui.rosterList);
    ui.rosterList->clear();
    QDialog::done(result);
}

// ---- the picture ----

void TFrmPhotoDay::GrabButtonClick()
{
    GrabCameraFrame(camera_, ScratchFrameFile(programFolder_), ui.pictureArea->Picture());
    editor_->PlaceArea();
    editor_->ShowLoaded();
    SetEditingEnabled(true);
    ShowFramedPreview();
}

void TFrmPhotoDay::ZoomInButtonClick()
{
    editor_->Zoom(ZoomDirection::In);
    ShowFramedPreview();
}

void TFrmPhotoDay::ZoomOutButtonClick()
{
    editor_->Zoom(ZoomDirection::Out);
    ShowFramedPreview();
}

void TFrmPhotoDay::TurnLeftButtonClick()
{
    editor_->Turn(TurnDirection::Left);
    ShowFramedPreview();
}

void TFrmPhotoDay::TurnRightButtonClick()
{
    editor_->Turn(TurnDirection::Right);
    ShowFramedPreview();
}

void TFrmPhotoDay::AutoFrameButtonClick()
{
    editor_->FrameFace();
    ShowFramedPreview();
}

void TFrmPhotoDay::ShowFramedPreview()
{
    if (editor_->HasPicture())
        editor_->Crop();
}

void TFrmPhotoDay::SetEditingEnabled(bool enabled)
{
    for (QPushButton* button :
         {ui.zoomInButton, ui.zoomOutButton, ui.turnLeftButton, ui.turnRightButton, ui.autoFrameButton})
        button->setEnabled(enabled);
}

// ---- the roster ----

void TFrmPhotoDay::SaveNextButtonClick()
{
    if (!day_ || day_->AtEnd())
        return;
    if (!editor_->HasPicture()) {
        dialogs_.ShowMessage(QStringLiteral("请先获取图片！"));
        return;
    }
    // What the frame shows at this moment is what the student gets.
    editor_->Crop();
    SaveStudentPhoto(*day_, ui.framedPreview->Picture());
    ShowStudentReached();
}

void TFrmPhotoDay::AbsentButtonClick()
{
    if (!day_ || day_->AtEnd())
        return;
    day_->Absent();
    ShowStudentReached();
}

void TFrmPhotoDay::RetakeButtonClick()
{
    if (!day_)
        return;
    day_->Retake();
    ShowStudentReached();
}

void TFrmPhotoDay::RosterListClick()
{
    const QListWidgetItem* selected = ui.rosterList->currentItem();
    if (!day_ || !selected || !selected->isSelected())
        return;
    ReportErrors(dialogs_, [&] {
        day_->JumpTo(ui.rosterList->row(selected));
        ShowStudentReached();
    });
}

void TFrmPhotoDay::HandOverButtonClick()
{
    if (!day_)
        return;
    const QString folder = day_->OutputFolder();
    dialogs_.ShowMessage(HandedOverMessage(*day_));
    emit PhotoDayHandedOver(folder);
    accept(); // closing ends the day (done)
}

void TFrmPhotoDay::ShowStudentReached()
{
    // Nothing of one student can be saved as the next one's.
    editor_->EmptyAll();
    SetEditingEnabled(false);
    ShowRoster();
    ShowCurrentStudent();
    if (day_->AtEnd())
        dialogs_.ShowMessage(RosterEndMessage(*day_));
}

void TFrmPhotoDay::ShowRoster()
{
    const QSignalBlocker quiet(ui.rosterList);
    ui.rosterList->clear();
    for (qsizetype i = 0; i < day_->Count(); ++i)
        ui.rosterList->addItem(RosterLine(*day_, i, students_));
    const bool atEnd = day_->AtEnd();
    if (!atEnd) {
        ui.rosterList->setCurrentRow(static_cast<int>(day_->Position()));
        ui.rosterList->scrollToItem(ui.rosterList->currentItem());
    }
    ui.positionLabel->setText(PositionLine(*day_));
    ui.saveNextButton->setEnabled(!atEnd);
    ui.absentButton->setEnabled(!atEnd);
    ui.retakeButton->setEnabled(day_->Position() > 0);
}

void TFrmPhotoDay::ShowCurrentStudent()
{
    const StudentPanel panel = PanelOf(*day_, students_, makeThumbnail_, ui.sitePhotoImage->contentsRect().size());
    ui.studentNameLabel->setText(panel.name);
    ui.sitePhotoImage->setPixmap(QPixmap::fromImage(panel.photo));
    ui.studentNoteLabel->setText(panel.note);
}

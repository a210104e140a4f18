#include "windows/photoday/PhotoDay.h"

#include "faces/FaceDescriber.h"
#include "faces/FaceDetector.h"
#include "photoday/BackgroundCardReading.h"
#include "photoday/BackgroundShotChecks.h"
#include "photoday/CardSheet.h"
#include "photoday/PhotoDaySession.h"
#include "photoday/PhotoDayTexts.h"
#include "photoday/SaveStudentPhoto.h"
#include "photoday/ShotExaminer.h"
#include "picture/TBitmap.h"
#include "picture/TPicture.h"
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
constexpr QSize kDesignSize(1244, 424);
// How far an arrow key moves the frame over the picture, in pixels of the
// picture area.
constexpr int kNudgeStep = 2;
// How often the live picture is looked at for a card. A look takes 45 to
// 115 ms of one core for a 1920 x 1080 frame (shot_checks_bench): every half
// second, a card is read within about a second of being held up, and the
// looks leave most of the processor to the camera and the checks.
constexpr int kCardLookInterval = 500;

const QString kCardsFileName = QStringLiteral("学生卡.html");

QString ProblemsHtml(const ShotVerdict& verdict)
{
    QString html;
    if (verdict.Passed())
        html = QStringLiteral("<p style=\"color:#007000\"><b>✓ 可以保存</b></p>");
    for (const QString& problem : verdict.problems)
        html += QStringLiteral("<p style=\"color:#c00000\"><b>✗ %1</b></p>").arg(problem.toHtmlEscaped());
    for (const QString& note : verdict.notes)
        html += QStringLiteral("<p style=\"color:#606060\">%1</p>").arg(note.toHtmlEscaped());
    return html;
}

} // namespace

TFrmPhotoDay::TFrmPhotoDay(Dialogs& dialogs, CameraSource& camera, QString programFolder, QWidget* parent,
                           DisplayColorDepth displayDepth)
    : QDialog(parent),
      dialogs_(dialogs),
      camera_(camera),
      programFolder_(std::move(programFolder)),
      cardReading_(std::make_unique<BackgroundCardReading>())
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
    // The keys are the day's own: typing on the roster goes to no student,
    // and the roster never takes the arrow keys from the picture.
    ui.rosterList->SetTypingSelects(false);
    ui.rosterList->setFocusPolicy(Qt::NoFocus);
    editor_ = std::make_unique<CropEditor>(
        CropEditor::Controls{*ui.pictureBox, *ui.pictureArea, *ui.cropFrame, *ui.framedPreview});
    editor_->OnDragged([this](CropEditor::Dragged) { ShowFramedPreview(); });
    MakeChecks();

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
    ConnectHandler(ui.cardsButton, &TFrmPhotoDay::CardsButtonClick);
    // A click goes to that student, also on the one selected already.
    connect(ui.rosterList, &QListWidget::itemSelectionChanged, this, &TFrmPhotoDay::RosterListClick);
    connect(ui.rosterList, &TListBox::SelectedItemPressed, this, &TFrmPhotoDay::RosterListClick);
    connect(&checking_, &QFutureWatcher<ShotVerdict>::finished, this, &TFrmPhotoDay::ShowVerdict);
    connect(&cardLook_, &QFutureWatcher<QStringList>::finished, this, &TFrmPhotoDay::ShowCardsSeen);
    cardTimer_.setInterval(kCardLookInterval);
    connect(&cardTimer_, &QTimer::timeout, this, &TFrmPhotoDay::LookForCards);

    // The keys work wherever the focus is; a key whose button is unusable
    // does nothing. A key held down acts once (its repeats would save or
    // skip the students after), but for the arrows, which move the picture
    // on while held.
    const auto addKey = [this](const QKeySequence& key, const std::function<void()>& act, bool repeats = false) {
        auto* shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setAutoRepeat(repeats);
        connect(shortcut, &QShortcut::activated, this, [this, act] { ReportErrors(dialogs_, act); });
    };
    const auto clickKey = [&](const QKeySequence& key, QPushButton* button) {
        addKey(key, [button] {
            if (button->isEnabled())
                button->click();
        });
    };
    clickKey(Qt::Key_Space, ui.grabButton);
    clickKey(Qt::Key_A, ui.autoFrameButton);
    // + and − on the main keys (= is + without Shift) and on the keypad.
    for (const QKeyCombination key :
         {QKeyCombination(Qt::Key_Plus), QKeyCombination(Qt::Key_Equal), Qt::KeypadModifier | Qt::Key_Plus})
        clickKey(key, ui.zoomInButton);
    for (const QKeyCombination key : {QKeyCombination(Qt::Key_Minus), Qt::KeypadModifier | Qt::Key_Minus})
        clickKey(key, ui.zoomOutButton);
    clickKey(Qt::Key_Return, ui.saveNextButton);
    clickKey(Qt::Key_Enter, ui.saveNextButton);
    clickKey(Qt::Key_S, ui.absentButton);
    clickKey(Qt::Key_Backspace, ui.retakeButton);
    // The day's end by a key too, one no hand presses by chance.
    clickKey(Qt::AltModifier | Qt::Key_H, ui.handOverButton);
    // The arrows move the red frame over the picture, as the photographer
    // sees it: the picture goes the other way under the fixed frame.
    const struct {
        Qt::Key key;
        QPoint frameStep;
    } arrows[] = {{Qt::Key_Left, {-kNudgeStep, 0}},
                  {Qt::Key_Right, {kNudgeStep, 0}},
                  {Qt::Key_Up, {0, -kNudgeStep}},
                  {Qt::Key_Down, {0, kNudgeStep}}};
    for (const auto& arrow : arrows) {
        const QPoint pictureStep = -arrow.frameStep;
        addKey(
            arrow.key, [this, pictureStep] { Nudge(pictureStep); }, /*repeats*/ true);
    }
    SetEditingEnabled(false);
}

TFrmPhotoDay::~TFrmPhotoDay()
{
    // Nothing the workers finish may reach a window half gone.
    checking_.disconnect(this);
    cardLook_.disconnect(this);
}

void TFrmPhotoDay::ConnectHandler(QAbstractButton* button, void (TFrmPhotoDay::*handler)())
{
    connect(button, &QAbstractButton::clicked, this,
            [this, handler] { ReportErrors(dialogs_, [&] { (this->*handler)(); }); });
}

void TFrmPhotoDay::UseFaceModel(std::filesystem::path model)
{
    editor_->UseFaceModel(model);
    faceModel_ = std::move(model);
    MakeChecks();
}

void TFrmPhotoDay::MakeChecks()
{
    checking_.setFuture({});
    checks_ = std::make_unique<BackgroundShotChecks>([model = faceModel_] {
        return std::make_unique<ShotExaminer>(model.empty() ? FaceDetector::DefaultCascadeFile() : model,
                                              FaceDescriber::DefaultModelFile());
    });
}

// ---- starting and ending ----

void TFrmPhotoDay::StartDay()
{
    bool started = false;
    ReportErrors(dialogs_, [&] { started = OpenDay(); });
    if (!started)
        return;
    show();
    // The camera's one preview comes over from the capture window; a day
    // resumed starts it again, as a new one does.
    const bool cameraReady = StartCamera();
    // The day does not need the site: it goes on with the codes alone.
    if (const QString failure = students_.FailureMessage(); !failure.isEmpty())
        dialogs_.ShowMessage(failure);
    if (day_->Resumed())
        dialogs_.ShowMessage(ResumedMessage(*day_));
    if (cameraReady)
        cardTimer_.start();
}

bool TFrmPhotoDay::OpenDay()
{
    if (!readRoster_)
        return false;
    // The window is not shown yet: the choosers stand over the one that asked.
    QWidget* owner = parentWidget();
    const QString rosterFile =
        dialogs_.ChooseFile(owner, QStringLiteral("支持的文件(txt)|*.txt"), rosterFolder_ ? rosterFolder_() : QString(),
                            QStringLiteral("选择名单"));
    if (rosterFile.isEmpty())
        return false;
    // A roster that cannot be read is reported before any folder is asked for.
    const QStringList codes = readRoster_(rosterFile);
    const std::optional<QString> folder = dialogs_.ChooseFolder(owner, QFileInfo(rosterFile).absolutePath());
    if (!folder)
        return false;
    day_ = std::make_unique<PhotoDaySession>(codes, *folder);
    rosterFile_ = rosterFile;
    students_ = [&] {
        const WaitCursor busy; // one query for the whole roster
        return SiteStudents::Read(lookUpStudents_, codes);
    }();
    cardSelection_.emplace(codes);
    // Every grab is framed on its face: the detector is loaded while the day
    // starts, not at the first grab. Without its model the grabs stay
    // unframed and the checks say why.
    try {
        editor_->LoadFaceDetector();
    } catch (const EFaceDetectorUnavailable&) {
    }
    ui.outputFolderEdit->setText(QDir::toNativeSeparators(day_->OutputFolder()));
    ui.rosterLabel->setText(
        QStringLiteral("名单：%1（%2 名）").arg(QFileInfo(rosterFile).fileName()).arg(day_->Count()));
    ui.cardStatusLabel->clear();
    ShowStudentReached();
    return true;
}

bool TFrmPhotoDay::StartCamera()
{
    cameraStarted_ = [&] {
        const WaitCursor busy; // the camera takes a moment to start
        return camera_.StartPreview(ui.cameraPlace, ui.cameraPlace->rect());
    }();
    if (!cameraStarted_) {
        dialogs_.ShowMessage(QStringLiteral("无法显示摄像头的画面，请关闭其他使用摄像头的程序后按空格再试。"));
        return false;
    }
    // The preview would stay black without a word.
    if (!camera_.CameraFound()) {
        dialogs_.ShowMessage(kNoCameraMessage);
        return false;
    }
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
    cardTimer_.stop();
    editor_->EmptyAll();
    shot_.reset();
    verdict_.reset();
    SetEditingEnabled(false);
    QFile::remove(ScratchFrameFile(programFolder_));
    if (cameraStarted_)
        camera_.StopPreview();
    cameraStarted_ = false;
    // The day ends with the window; its progress file resumes it.
    day_.reset();
    students_ = {};
    cardSelection_.reset();
    const QSignalBlocker quiet(ui.rosterList);
    ui.rosterList->clear();
    ui.checksLabel->clear();
    QDialog::done(result);
}

// ---- the picture ----

void TFrmPhotoDay::GrabButtonClick()
{
    if (!day_ || day_->AtEnd())
        return;
    // Space starts a camera that is not running, or says why it cannot.
    if (!cameraStarted_ && !StartCamera())
        return;
    GrabCameraFrame(camera_, ScratchFrameFile(programFolder_), ui.pictureArea->Picture());
    // Bound to the student before the camera now, whatever happens next.
    auto frame = std::make_shared<TBitmap>();
    frame->Assign(ui.pictureArea->Picture().Graphic());
    shot_ = Shot{day_->Position(), day_->Code(day_->Position()), std::move(frame), QDateTime::currentDateTime()};
    editor_->PlaceArea();
    editor_->ShowLoaded();
    SetEditingEnabled(true);
    // Framed on the face at once; without one (or without the face model)
    // the checks say so.
    try {
        editor_->FrameFace();
    } catch (const EPictureStepRefused&) {
    } catch (const EFaceDetectorUnavailable&) {
    }
    ShowFramedPreview();
    CheckShot();
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

void TFrmPhotoDay::Nudge(QPoint step)
{
    if (!editor_->HasPicture())
        return;
    editor_->Nudge(step);
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

// ---- the checks ----

QString TFrmPhotoDay::SitePhotoOf(qsizetype student) const
{
    const StudentCard* card = students_.Find(day_->Code(student));
    return card ? card->currentPhoto : QString();
}

void TFrmPhotoDay::CheckShot()
{
    verdict_.reset();
    ui.checksLabel->setText(QStringLiteral("<p style=\"color:#606060\">正在检查照片……</p>"));
    checking_.setFuture(checks_->Check(shot_->frame, SitePhotoOf(shot_->student)));
}

void TFrmPhotoDay::ShowVerdict()
{
    // A verdict on a shot no longer in hand (the day moved on) is dropped.
    if (!shot_ || !checking_.future().isValid() || checking_.isCanceled())
        return;
    verdict_ = checking_.result();
    ui.checksLabel->setText(ProblemsHtml(*verdict_));
}

ShotVerdict TFrmPhotoDay::AwaitVerdict()
{
    if (!verdict_) {
        const WaitCursor busy; // the checks take a fraction of a second
        checking_.waitForFinished();
        ShowVerdict();
    }
    return verdict_.value_or(ShotVerdict{});
}

// ---- the roster ----

void TFrmPhotoDay::SaveNextButtonClick()
{
    if (!day_ || day_->AtEnd())
        return;
    if (!shot_ || !editor_->HasPicture()) {
        dialogs_.ShowMessage(QStringLiteral("请先获取图片！"));
        return;
    }
    // Checked before it can be saved; a shot with problems only when the
    // photographer says so, and the day counts it.
    const ShotVerdict verdict = AwaitVerdict();
    if (!verdict.Passed()
        && !dialogs_.Confirm(QStringLiteral("照片有问题，仍然保存吗？\n\n") + verdict.problems.join(u'\n'), QString(),
                             QStringLiteral("仍然保存"))) {
        return;
    }
    // What the frame shows at this moment is what the student gets.
    editor_->Crop();
    SaveStudentPhoto(*day_, *shot_, ui.framedPreview->Picture().Bitmap(), verdict.problems);
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
    const HandOverQuestion question = HandOverQuestionOf(*day_);
    if (!dialogs_.Confirm(question.text, question.details, QStringLiteral("继续")))
        return;
    const PhotoDayHandOver handOver{rosterFile_, day_->Codes(), day_->OutputFolder(),
                                    day_->CodesOf(PhotoDaySession::State::Absent)};
    emit PhotoDayHandedOver(handOver);
    accept(); // closing ends the day (done)
}

void TFrmPhotoDay::CardsButtonClick()
{
    if (!day_)
        return;
    const QString sheet = day_->SaveBesidePhotos(
        kCardsFileName,
        CardSheetHtml(CardFacesOf(day_->Codes(), students_),
                      QStringLiteral("学生卡　%1（%2 名）").arg(QFileInfo(rosterFile_).fileName()).arg(day_->Count())));
    dialogs_.ShowMessage(QStringLiteral("学生卡已保存为 %1，请用浏览器打开，在 A4 纸上打印后剪开发给学生。\n"
                                        "拍照时学生把自己的卡举到镜头前，就会选中这名学生。")
                             .arg(QDir::toNativeSeparators(sheet)));
    if (openFile_)
        openFile_(sheet);
}

void TFrmPhotoDay::ShowStudentReached()
{
    // Nothing of one student can be saved as the next one's.
    editor_->EmptyAll();
    shot_.reset();
    verdict_.reset();
    checking_.setFuture({});
    ui.checksLabel->clear();
    SetEditingEnabled(false);
    ShowRoster();
    ShowCurrentStudent();
    if (day_->AtEnd())
        dialogs_.ShowMessage(RosterEndMessage(*day_));
    else
        checks_->Prepare(SitePhotoOf(day_->Position()));
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
    ui.grabButton->setEnabled(!atEnd);
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

// ---- the students' cards ----

void TFrmPhotoDay::LookForCards()
{
    // One look at a time: a slow one is not queued behind.
    if (!day_ || !cameraStarted_ || cardLook_.isRunning())
        return;
    QImage frame = camera_.CurrentFrame();
    if (!frame.isNull())
        cardLook_.setFuture(cardReading_->Read(std::move(frame)));
}

void TFrmPhotoDay::ShowCardsSeen()
{
    if (!day_ || !cardSelection_ || !cardLook_.future().isValid())
        return;
    const CardSelection::Seen seen = cardSelection_->Look(cardLook_.result());
    if (!seen.strangers.isEmpty())
        ui.cardStatusLabel->setText(QStringLiteral("学生卡 %1 不在这份名单上").arg(seen.strangers.join(u'、')));
    if (!seen.student)
        return;
    const qsizetype student = *seen.student;
    const QString name = students_.NameOf(day_->Code(student));
    ui.cardStatusLabel->setText(QStringLiteral("学生卡：第 %1 名 %2%3")
                                    .arg(student + 1)
                                    .arg(day_->Code(student), name.isEmpty() ? QString() : u'　' + name));
    if (student == day_->Position())
        return;
    ReportErrors(dialogs_, [&] {
        day_->JumpTo(student);
        ShowStudentReached();
    });
}

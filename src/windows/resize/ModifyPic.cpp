#include "windows/resize/ModifyPic.h"

#include "resize/BatchResize.h"
#include "widgets/CentreOnScreen.h"
#include "widgets/Dialogs.h"
#include "widgets/FitToScreen.h"
#include "widgets/ListBoxItems.h"
#include "widgets/WaitCursor.h"

#include <QShowEvent>

#include <algorithm>

namespace {

// The client area the controls are laid out on.
constexpr QSize kDesignSize(454, 270);

} // namespace

TfrmPicture::TfrmPicture(Dialogs& dialogs, QWidget* owner, DisplayColorDepth displayDepth)
    : QDialog(owner), dialogs_(dialogs), displayDepth_(displayDepth)
{
    ui.setupUi(this);
    // A fixed border with only a close box; QDialog centres it on its owner.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    PutControlsOnScrollingSurface(*this, kDesignSize);
    FitToScreen(*this, kDesignSize);
    ui.Gauge1->SetProgress(0);
    // The fit mode is kept from one showing to the next, like the target.
    for (const FitModeChoice& choice : kFitModes)
        ui.ComboBox1->addItem(choice.caption);
    ComboBox1Change();
    connect(ui.ComboBox1, &QComboBox::currentIndexChanged, this, &TfrmPicture::ComboBox1Change);
    connect(ui.CheckBox1, &QCheckBox::toggled, this, [this](bool checked) {
        if (kFitModes[ui.ComboBox1->currentIndex()].mode == FitMode::Stretch)
            smoothStretch_ = checked;
    });
    // The output format too: a site that relies on BMP data needs it every time.
    for (const OutputFormatChoice& choice : kOutputFormats)
        ui.formatCombo->addItem(choice.caption);

    connect(ui.Button1, &QPushButton::clicked, this, &TfrmPicture::Button1Click);
    connect(ui.Button2, &QPushButton::clicked, this, &TfrmPicture::Button2Click);
    connect(ui.Button3, &QPushButton::clicked, this, &TfrmPicture::Button3Click);
    connect(ui.Button4, &QPushButton::clicked, this, &TfrmPicture::Button4Click);
    connect(&run_, &BackgroundResize::Progress, this, &TfrmPicture::ShowProgress);
    connect(&run_, &BackgroundResize::Finished, this, &TfrmPicture::RunEnded);
}

void TfrmPicture::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The screen it opens on may be smaller, or scaled more, than the one it
    // was made for; then it is centred on that screen.
    if (FitToScreen(*this, kDesignSize))
        CentreOnScreen(*this);
    // A spontaneous show is the window coming back from being minimised,
    // not a new showing.
    if (!event->spontaneous())
        FormActivate();
}

void TfrmPicture::FormActivate()
{
    setWindowTitle(QStringLiteral("图片大小调整"));
    ui.Edit1->setText(QStringLiteral("120"));
    ui.Edit2->setText(QStringLiteral("180"));
    ui.Edit3->clear();
    // Two "浏览" in one window, each with a key of its own: Alt+O the
    // pictures' folder, as in the main window, Alt+T the target.
    ui.Button3->setText(QStringLiteral("浏览(&O)"));
    ui.Button4->setText(QStringLiteral("浏览(&T)"));
    ui.chklstbox->clear();
    lastRun_.reset();
    // The last showing's run is over: its percentage would mislead.
    ui.Gauge1->SetProgress(0);
    // The target folder, the fit mode, the smoothing and the format carry over.
}

void TfrmPicture::ComboBox1Change()
{
    const bool stretch = kFitModes[ui.ComboBox1->currentIndex()].mode == FitMode::Stretch;
    const bool smooth = !stretch || smoothStretch_;
    ui.CheckBox1->setChecked(smooth);
    ui.CheckBox1->setEnabled(stretch && ui.ComboBox1->isEnabled());
}

Sampling TfrmPicture::ChosenSampling() const
{
    return ui.CheckBox1->isChecked() ? Sampling::Smooth : Sampling::Exact;
}

void TfrmPicture::Button3Click()
{
    const std::optional<QString> folder = dialogs_.ChooseFolder(this, ui.Edit3->text());
    if (!folder)
        return;
    ui.Edit3->setText(*folder);
    FillListFromFolder(*ui.chklstbox, ui.Edit3->text(), kJpegMask);
}

void TfrmPicture::Button4Click()
{
    const std::optional<QString> folder = dialogs_.ChooseFolder(this, ui.Edit4->text());
    if (folder)
        ui.Edit4->setText(*folder);
}

void TfrmPicture::Button1Click()
{
    if (ui.Edit3->text().isEmpty() || ui.Edit4->text().isEmpty()) {
        dialogs_.ShowMessage(kResizeNoFolderMessage);
        emit RunFinished();
        return;
    }
    const std::optional<std::int32_t> width = ParseSideLength(ui.Edit1->text());
    const std::optional<std::int32_t> height = ParseSideLength(ui.Edit2->text());
    if (!width || !height) {
        dialogs_.ShowMessage(ResizeFailureText(!width ? SideLengthProblem(QStringLiteral("宽度"), ui.Edit1->text())
                                                      : SideLengthProblem(QStringLiteral("高度"), ui.Edit2->text())));
        emit RunFinished();
        return;
    }
    BatchResizeJob job{ui.Edit3->text(), ItemTexts(*ui.chklstbox),
                       ui.Edit4->text(), *width,
                       *height,          kFitModes[ui.ComboBox1->currentIndex()].mode};
    job.displayDepth = displayDepth_;
    job.faceModel = faceModel_;
    job.sampling = ChosenSampling();
    job.format = kOutputFormats[ui.formatCombo->currentIndex()].format;
    // Refusals come before anything is written, and before any question.
    try {
        CheckResizeJob(job);
    } catch (const EResizeFailed& refusal) {
        dialogs_.ShowMessage(ResizeFailureText(refusal.Cause()));
        emit RunFinished();
        return;
    }
    if (const QStringList existing = OutputsThatExist(job); !existing.isEmpty()) {
        const QString shown = existing.size() <= 3
                                  ? existing.join(QStringLiteral("、"))
                                  : existing.mid(0, 3).join(QStringLiteral("、")) + QStringLiteral(" 等");
        if (!dialogs_.Confirm(QStringLiteral("目标文件夹中已有 %1 张同名图片（%2），调整后会被覆盖。覆盖这些图片吗？")
                                  .arg(existing.size())
                                  .arg(shown),
                              QString())) {
            emit RunFinished();
            return;
        }
        job.overwrite = true;
    }
    // From here on the run counts, also when it writes nothing: what the
    // folder held before is not what the user asked for.
    runTarget_ = job.targetFolder;
    // The last run's percentage is not this run's.
    ui.Gauge1->SetProgress(0);
    // The run goes on its own thread; the window stays responsive meanwhile.
    SetRunning(true);
    run_.Start(std::move(job));
}

void TfrmPicture::ShowProgress(int sequenceNumber, int total)
{
    if (sequenceNumber == 0)
        ui.Gauge1->SetMaxValue(total);
    else
        ui.Gauge1->SetProgress(sequenceNumber);
}

void TfrmPicture::RunEnded(const ResizeOutcome& outcome)
{
    SetRunning(false);
    NoteWritten(outcome);
    switch (outcome.ending) {
    case ResizeOutcome::Ending::Succeeded:
        dialogs_.ShowMessage(ResizeSucceededText(outcome.report));
        break;
    case ResizeOutcome::Ending::FoldersNotChosen:
        dialogs_.ShowMessage(kResizeNoFolderMessage);
        break;
    case ResizeOutcome::Ending::Failed:
        dialogs_.ShowMessage(ResizeFailureText(outcome.cause));
        break;
    case ResizeOutcome::Ending::Stopped:
        break;
    }
    emit RunFinished();
}

void TfrmPicture::NoteWritten(const ResizeOutcome& outcome)
{
    // A run refused by a check up front did not take place.
    if (!outcome.refused)
        lastRun_ = WrittenPictures{runTarget_, ResizeOutputNames(outcome.report.written)};
}

void TfrmPicture::SetRunning(bool running)
{
    for (QWidget* control : std::initializer_list<QWidget*>{ui.Edit1, ui.Edit2, ui.ComboBox1, ui.formatCombo,
                                                            ui.Button1, ui.Button3, ui.Button4, ui.chklstbox})
        control->setEnabled(!running);
    ComboBox1Change();
}

void TfrmPicture::Button2Click()
{
    close();
}

void TfrmPicture::done(int result)
{
    if (FormCloseQuery())
        QDialog::done(result);
}

bool TfrmPicture::FormCloseQuery()
{
    // A run still going stops after the picture in hand, if the user wants
    // it stopped, so that the handover lists what it wrote.
    if (run_.Running()) {
        const bool stop = dialogs_.Confirm(QStringLiteral("图片大小调整还没有完成（已完成 %1 张，共 %2 张）。"
                                                          "停止调整并关闭窗口吗？")
                                               .arg(ui.Gauge1->Progress())
                                               .arg(ui.chklstbox->count()),
                                           QString());
        if (!stop)
            return false;
    }
    // Finishing the picture in hand and listing the target take a moment.
    const WaitCursor busy;
    // The run may have ended while the question was open.
    if (run_.Running()) {
        NoteWritten(run_.StopAndWait());
        SetRunning(false);
        emit RunFinished();
    }
    HandOverPictures();
    return true;
}

void TfrmPicture::HandOverPictures()
{
    const QString target = ui.Edit4->text();
    if (lastRun_ && lastRun_->targetFolder == target) {
        ui.chklstbox->clear();
        ui.chklstbox->addItems(lastRun_->names);
    } else if (target.isEmpty()) {
        // Without a target folder there is nothing to hand over; listing the
        // empty folder string would list the program's current directory.
        ui.chklstbox->clear();
    } else {
        FillListFromFolder(*ui.chklstbox, target, kJpegMask);
    }
    emit PicturesHandedOver(target, ItemTexts(*ui.chklstbox));
}

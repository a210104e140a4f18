#include "windows/main/Form1.h"

#include "assignment/input/PhotoIndex.h"
#include "assignment/input/PhotoList.h"
#include "assignment/input/Roster.h"
#include "assignment/plan/AssignmentPlan.h"
#include "assignment/plan/RunMessages.h"
#include "assignment/run/AssignmentRun.h"
#include "assignment/run/PlanMaking.h"
#include "assignment/run/UndoRun.h"
#include "assignment/site/SiteIdentity.h"
#include "export/RegisterExport.h"
#include "faces/FaceDetector.h"
#include "files/FolderString.h"
#include "files/RegularFile.h"
#include "platform/database/OdbcConnectionString.h"
#include "platform/settings/InstallationFolderStore.h"
#include "widgets/CentreOnScreen.h"
#include "widgets/Dialogs.h"
#include "widgets/FitToScreen.h"
#include "widgets/ListBoxItems.h"
#include "widgets/WaitCursor.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>

#include <stdexcept>

const QString TForm1::kTitle = QStringLiteral("学生照片设置辅助工具");
const QString TForm1::kFolderNotChosen = QStringLiteral("请点击\"浏览\"按钮选择软件安装目录！");
const QString TForm1::kCancelledStatus = QStringLiteral("已取消，没有改动");

TForm1::TForm1(Dialogs& dialogs, const InstallationFolderStore& folderStore, QWidget* parent)
    : QWidget(parent),
      dialogs_(dialogs),
      folderStore_(folderStore),
      ADOQuery1(DefaultOdbcDriver()),
      journal_(JournalStore::DefaultDataFolder()),
      proofSheet_(SurveyAndCheckFaces(FaceDetector::DefaultCascadeFile()))
{
    UseFaceModel(FaceDetector::DefaultCascadeFile());
    ui.setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    PutControlsOnScrollingSurface(*this, kDesignSize);
    FitToScreen(*this, kDesignSize);
    setWindowIcon(QIcon(QStringLiteral(":/student-photo.png")));
    ui.ListBox2->SetTypingSelects(false);

    connect(ui.Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(ui.Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(ui.Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(ui.Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
    connect(ui.Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
    connect(ui.Button6, &QPushButton::clicked, this, &TForm1::Button6Click);
    connect(ui.Button7, &QPushButton::clicked, this, &TForm1::Button7Click);
    connect(ui.Button8, &QPushButton::clicked, this, &TForm1::Button8Click);
    connect(ui.undoButton, &QPushButton::clicked, this, &TForm1::UndoLastRun);
    connect(ui.exportButton, &QPushButton::clicked, this, &TForm1::ExportRegisterPhotos);
    connect(ui.pairingCombo, &QComboBox::currentIndexChanged, this, &TForm1::ChangePairing);

    FormCreate();
}

void TForm1::AttachSideWindows(QDialog* captureWindow, QDialog* resizeWindow)
{
    captureWindow_ = captureWindow;
    resizeWindow_ = resizeWindow;
}

void TForm1::FormCreate()
{
    setWindowTitle(kTitle);
    QCoreApplication::setApplicationName(kTitle);

    // A store that cannot be read leaves Edit1 as it is, without a message.
    try {
        const std::optional<QString> remembered = folderStore_.Read();
        ui.Edit1->setText(remembered ? *remembered : kFolderNotChosen);
    } catch (const SettingsStoreError&) {
    }
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The screen it opens on may be smaller, or scaled more, than the one it was made for.
    if (FitToScreen(*this, kDesignSize))
        CentreOnScreen(*this);
    // Coming back from a side window shows the main window again without
    // activating it anew: the activation steps belong to the first showing.
    if (shownBefore_)
        return;
    shownBefore_ = true;
    CentreOnScreen(*this);
    FormActivate();
}

void TForm1::FormActivate()
{
    ui.ListBox1->setFocus();
    ui.Edit3->clear();
}

void TForm1::Button1Click()
{
    const std::optional<QString> folder = dialogs_.ChooseFolder(this, InstallationFolder().value_or(QString()));
    if (!folder)
        return;
    ui.Edit1->setText(*folder);
    // Taken all the same (the site may be set up later), but said now
    // rather than as a failed run.
    if (!QFileInfo(QDir(*folder).filePath(QStringLiteral("Web.config"))).isFile()) {
        dialogs_.ShowMessage(QStringLiteral("所选文件夹中没有 Web.config，它可能不是网站的安装目录：%1")
                                 .arg(QDir::toNativeSeparators(*folder)));
    }
    // A folder that cannot be remembered still serves for this run.
    try {
        folderStore_.Write(ui.Edit1->text());
    } catch (const SettingsStoreError&) {
    }
}

PairingMode TForm1::Pairing() const
{
    switch (ui.pairingCombo->currentIndex()) {
    case 1:
        return PairingMode::FileName;
    case 2:
        return PairingMode::IndexFile;
    default:
        return PairingMode::Position;
    }
}

void TForm1::ChangePairing()
{
    const bool byIndex = Pairing() == PairingMode::IndexFile;
    const bool wasByIndex = indexShown_;
    indexShown_ = byIndex;
    // An index is no photo list, nor the other way round: switching between
    // them leaves nothing loaded that the other would misread.
    if (byIndex != wasByIndex) {
        ui.Edit3->clear();
        ui.ListBox2->clear();
        ui.StatusBar1->SetPanelText(1, QString());
        indexFile_.clear();
        indexRows_.clear();
    }
    ui.Label4->setText(byIndex ? QStringLiteral("对照表") : QStringLiteral("图片路径"));
    ui.Button2->setText(byIndex ? QStringLiteral("载入对照表") : QStringLiteral("载入图片"));
}

void TForm1::LoadIndexFile()
{
    const QString startFolder =
        indexFile_.isEmpty() ? InstallationFolder().value_or(QString()) : QFileInfo(indexFile_).absolutePath();
    const QString chosen = dialogs_.ChooseFile(this, QStringLiteral("对照表(txt,csv)|*.txt;*.csv"), startFolder);
    if (chosen.isEmpty())
        return;
    QList<PhotoIndexRow> rows;
    try {
        const WaitCursor busy;
        rows = ReadPhotoIndex(chosen);
    } catch (const EPhotoIndexError& error) {
        dialogs_.ShowMessage(kPhotoIndexFailed + QString::fromStdString(error.what()));
        return;
    }
    indexFile_ = chosen;
    indexRows_ = rows;
    ui.Edit3->setText(QDir::toNativeSeparators(chosen));
    ui.ListBox2->clear();
    for (const PhotoIndexRow& row : rows)
        ui.ListBox2->addItem(row.photo);
    ui.StatusBar1->SetPanelText(1, QStringLiteral("共有 %1 图片").arg(rows.size()));
}

void TForm1::Button2Click()
{
    if (Pairing() == PairingMode::IndexFile) {
        LoadIndexFile();
        return;
    }
    // The photos are usually where the last ones came from (also the resize
    // window's target); before any, beside the web application.
    const QString startFolder =
        ui.Edit3->text().isEmpty() ? InstallationFolder().value_or(QString()) : ui.Edit3->text();
    const QStringList chosen =
        dialogs_.ChooseFiles(this, QStringLiteral("支持的文件(JPG,BMP)|*.JPG;*.BMP"), startFolder);
    if (chosen.isEmpty())
        return;
    PhotoList photos;
    try {
        const WaitCursor busy;
        photos = PhotoListFromChosenFiles(chosen, PhotoOrder::AsListed);
    } catch (const EFileAccessError& error) {
        dialogs_.ShowMessage(QString::fromStdString(error.what()));
        return;
    }
    TakePhotoList(photos.folder, photos.names);
}

std::optional<QString> TForm1::InstallationFolder() const
{
    if (ui.Edit1->text() == kFolderNotChosen)
        return std::nullopt;
    return ui.Edit1->text();
}

QHash<QString, StudentCard> TForm1::LookUpStudents(const QStringList& codes)
{
    const std::optional<QString> folder = InstallationFolder();
    if (!folder)
        throw std::runtime_error("还没有选择网站的安装文件夹。");
    return ReadStudentCards(ADOQuery1, *folder, codes, folderStore_.NameColumn(), folderStore_.ClassColumn());
}

void TForm1::Button3Click()
{
    close();
}

void TForm1::Button4Click()
{
    try {
        // Until a roster was loaded, the codes are most likely kept beside the web application.
        const QString startFolder = rosterFolder_.isEmpty() ? InstallationFolder().value_or(QString()) : rosterFolder_;
        const QString rosterFile = dialogs_.ChooseFile(this, QStringLiteral("支持的文件(txt)|*.txt"), startFolder);
        if (!rosterFile.isEmpty()) {
            rosterFolder_ = QFileInfo(rosterFile).absolutePath();
            const WaitCursor busy;
            // A roster that cannot be read leaves the list empty, as before.
            ui.ListBox1->clear();
            absentCodes_.clear();
            ShowRoster(ReadRoster(rosterFile));
        }
        // Also after a cancelled dialog, with the roster unchanged.
        ui.Gauge1->SetMaxValue(ui.ListBox1->count());
    } catch (const ERosterError& error) {
        // What is wrong, and where: the first line at fault, for instance.
        dialogs_.ShowMessage(kRosterFailedMessage + u'\n' + QString::fromStdString(error.what()));
    }
}

void TForm1::Button5Click()
{
    if (runInProgress_)
        return;
    AssignmentInput input;
    input.installationFolder = InstallationFolder();
    input.photoFolder = ui.Edit3->text();
    input.codes = ItemTexts(*ui.ListBox1);
    input.photoNames = ItemTexts(*ui.ListBox2);
    input.pairing = Pairing();
    if (input.pairing == PairingMode::IndexFile) {
        input.photoFolder.clear();
        input.photoNames.clear();
        input.indexFile = indexFile_;
        input.indexRows = indexRows_;
    }
    input.nameColumn = folderStore_.NameColumn();
    input.absentCodes = absentCodes_;

    // The plan reads every photo's header and asks the database.
    const PlanOutcome planned = [&] {
        const WaitCursor busy;
        return MakeAssignmentPlan(input, ADOQuery1);
    }();
    // From here on the gauge and the status panel speak of this run only.
    if (!planned.plan) {
        if (planned.stopped.result == AssignmentOutcome::Result::Failed)
            ResetGauge();
        Report(planned.stopped);
        return;
    }
    // Nothing is written unless the user approves exactly this plan.
    ResetGauge();
    // Paired by name or index, the plan may hold fewer students than the roster.
    ui.Gauge1->SetMaxValue(static_cast<int>(planned.plan->rows.size()));
    // The plan that runs is the one approved: the sheet's face review adds
    // its warnings to the plan it shows.
    const std::optional<AssignmentPlan> approved = planReview_->Approve(this, *planned.plan);
    if (!approved) {
        ui.StatusBar1->SetPanelText(0, kCancelledStatus);
        return;
    }
    bool declinedWithoutJournal = false;
    const AssignmentOutcome outcome = RunWhilePainting(*approved, declinedWithoutJournal);
    if (declinedWithoutJournal) {
        ResetGauge();
        ui.StatusBar1->SetPanelText(0, kCancelledStatus);
        return;
    }
    Report(outcome);
}

AssignmentOutcome TForm1::RunWhilePainting(const AssignmentPlan& plan, bool& declinedWithoutJournal)
{
    const InputHeld held(*this);
    RunSettings settings{&journal_, [this](qsizetype studentsDone) { MoveGauge(studentsDone); }};
    settings.continueWithoutJournal = [&](const QString& reason) {
        // The question needs the mouse: the wait cursor gives way meanwhile.
        const WaitCursorLifted asking;
        const bool goOn = dialogs_.Confirm(
            QStringLiteral("无法建立撤销记录（%1）。不保留撤销记录继续设置吗？").arg(reason), QString());
        declinedWithoutJournal = !goOn;
        return goOn;
    };
    return RunAssignment(plan, ADOQuery1, settings);
}

TForm1::InputHeld::InputHeld(TForm1& form) : running_(form.runInProgress_, true) { }

void TForm1::MoveGauge(qsizetype done)
{
    // The work goes on on this thread. After each student the gauge moves
    // and the windows repaint what needs it (a part uncovered, say), but take
    // no input: no click or key reaches a handler, and closing waits for the end.
    ui.Gauge1->SetProgress(static_cast<int>(done));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm1::ResetGauge()
{
    ui.Gauge1->SetMaxValue(ui.ListBox1->count());
    ui.Gauge1->SetProgress(0);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (runInProgress_) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TForm1::Report(const AssignmentOutcome& outcome)
{
    if (outcome.result != AssignmentOutcome::Result::Refused)
        ui.StatusBar1->SetPanelText(0, outcome.statusText);
    dialogs_.ShowMessage(outcome.message, outcome.details);
}

void TForm1::Button6Click()
{
    switch (Pairing()) {
    case PairingMode::Position:
        break;
    case PairingMode::FileName:
        dialogs_.ShowMessage(
            QStringLiteral("按文件名对应：照片的文件名（不含扩展名）就是学生的学籍号，如 2023010101.jpg"));
        return;
    case PairingMode::IndexFile:
        dialogs_.ShowMessage(
            QStringLiteral("按对照表对应：对照表每行是学籍号和照片文件名，用制表符、逗号、分号或 | 隔开，"
                           "照片文件名相对于对照表所在的文件夹"));
        return;
    }
    dialogs_.ShowMessage(QStringLiteral("学生的图片顺序一定要按照学生学籍号的顺序来编排"));
}

void TForm1::Button7Click()
{
    if (captureWindow_)
        captureWindow_->exec();
}

void TForm1::Button8Click()
{
    if (resizeWindow_)
        resizeWindow_->exec();
}

void TForm1::UndoLastRun()
{
    const std::optional<QString> chosenFolder = InstallationFolder();
    if (!chosenFolder) {
        dialogs_.ShowMessage(AssignmentMessages::kFolderNotChosen);
        return;
    }
    const QString& folder = *chosenFolder;
    const std::optional<JournaledRun> run = [&] {
        const WaitCursor busy;
        return FindRunToUndo(journal_, IdentifySite(folder));
    }();
    if (!run) {
        dialogs_.ShowMessage(AssignmentMessages::kNothingToUndo);
        return;
    }
    if (!dialogs_.Confirm(
            QStringLiteral("撤销 %1？\n\n这些学生的照片文件和数据库中的照片路径将恢复为那次设置之前的样子。")
                .arg(RunSummary(*run)),
            QString()))
        return;
    // Undone like a run is made: the gauge moves per student, the window
    // repaints and takes no input until the end.
    ui.Gauge1->SetProgress(0);
    const UndoOutcome outcome = [&] {
        const InputHeld held(*this);
        return UndoRun(journal_, *run, folder, ADOQuery1, UndoMode::LeaveChangedAlone,
                       [this](qsizetype done, qsizetype students) {
                           ui.Gauge1->SetMaxValue(static_cast<int>(students));
                           MoveGauge(done);
                       });
    }();
    // What the panel said of the run undone is no longer true.
    ui.StatusBar1->SetPanelText(0, outcome.result == UndoOutcome::Result::Completed ? QStringLiteral("已撤销")
                                   : outcome.result == UndoOutcome::Result::Failed  ? QStringLiteral("撤销未完成")
                                                                                    : QString());
    dialogs_.ShowMessage(outcome.message, outcome.details);
    ResetGauge();
}

void TForm1::TakePhotoDay(const QStringList& roster, const QString& photoFolder, const QStringList& absent)
{
    ShowRoster(roster);
    ui.Gauge1->SetMaxValue(ui.ListBox1->count());
    absentCodes_ = absent;
    ui.pairingCombo->setCurrentIndex(1);
    TakePhotoList(FolderString(photoFolder), PhotoListOfFolder(photoFolder).names);
}

void TForm1::ShowRoster(const QStringList& codes)
{
    ui.ListBox1->clear();
    ui.ListBox1->addItems(codes);
    ui.StatusBar1->SetPanelText(0, QStringLiteral("共有 %1 学生").arg(ui.ListBox1->count()));
}

void TForm1::TakePhotoList(const QString& photoFolder, const QStringList& names)
{
    // A photo list is paired by order or by name, never by an index.
    if (Pairing() == PairingMode::IndexFile)
        ui.pairingCombo->setCurrentIndex(0);
    ui.Edit3->setText(photoFolder);
    ui.ListBox2->clear();
    if (names.isEmpty())
        return;
    ui.StatusBar1->SetPanelText(1, QStringLiteral("共有 %1 图片").arg(names.size()));
    ui.ListBox2->addItems(names);
}

void TForm1::ExportRegisterPhotos()
{
    const std::optional<QString> folder = InstallationFolder();
    if (!folder) {
        dialogs_.ShowMessage(AssignmentMessages::kFolderNotChosen);
        return;
    }
    const std::optional<QString> out = dialogs_.ChooseFolder(this, exportFolder_);
    if (!out)
        return;
    exportFolder_ = *out;
    ExportRequest request;
    request.installationFolder = *folder;
    request.outFolder = *out;
    request.roster = ItemTexts(*ui.ListBox1);
    // The photo folder of a photo day holds its originals (原图/).
    request.photoDayFolder = indexShown_ ? QString() : ui.Edit3->text();
    request.schoolCode = folderStore_.SchoolCode();
    request.columns = {folderStore_.NameColumn(), folderStore_.IdColumn(), folderStore_.GradeColumn(),
                       folderStore_.ClassColumn()};
    request.faceModel = faceModel_;
    std::optional<ExportSummary> summary;
    try {
        const InputHeld held(*this);
        ui.Gauge1->SetProgress(0);
        summary = RunRegisterExport(ADOQuery1, request, [this](qsizetype done, qsizetype total) {
            ui.Gauge1->SetMaxValue(static_cast<int>(total));
            MoveGauge(done);
        });
    } catch (const std::runtime_error& error) {
        ResetGauge();
        dialogs_.ShowMessage(QStringLiteral("导出学籍照片失败：%1").arg(QString::fromUtf8(error.what())));
        return;
    }
    const QString list = QDir(*out).filePath(kExportListName);
    dialogs_.ShowMessage(summary->Text().section(u'\n', 0, 0) + QStringLiteral("\n清单：")
                             + QDir::toNativeSeparators(list),
                         summary->Text());
}

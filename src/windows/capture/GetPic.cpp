#include "windows/capture/GetPic.h"

#include "editing/PictureName.h"
#include "files/FileSystemPath.h"
#include "files/PlainFileName.h"
#include "photoday/PhotoDaySession.h"
#include "photoday/PhotoDayTexts.h"
#include "photoday/SaveStudentPhoto.h"
#include "platform/camera/CameraSource.h"
#include "widgets/CameraGrab.h"
#include "widgets/CentreOnScreen.h"
#include "widgets/Dialogs.h"
#include "widgets/FitToScreen.h"
#include "widgets/KeepOpenOnEscape.h"
#include "widgets/ListBoxItems.h"
#include "widgets/ReportErrors.h"
#include "widgets/WaitCursor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QShortcut>
#include <QSignalBlocker>

#include <exception>
#include <utility>
#include <vector>

const QString TFrmGetPic::kCaption = QStringLiteral("图片采集");

namespace {

const QString kOutputFolderName = QStringLiteral("modified");
const QString kPictureExtension = QStringLiteral(".jpg");

// The client area the controls are laid out on; on a photo day the
// student's panel (GroupBox3) stands to the right of it.
constexpr QSize kDesignSize(960, 432);
constexpr QSize kPhotoDayDesignSize(1104, 432);

} // namespace

TFrmGetPic::TFrmGetPic(Dialogs& dialogs, CameraSource& camera, QString programFolder, QWidget* parent,
                       DisplayColorDepth displayDepth)
    : QDialog(parent), dialogs_(dialogs), camera_(camera), programFolder_(std::move(programFolder))
{
    ui.setupUi(this);
    // Fixed border, close box only.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    surface_ = PutControlsOnScrollingSurface(*this, kDesignSize);
    FitToScreen(*this, kDesignSize);
    ui.Image2->SetDisplayDepth(displayDepth);
    ui.Image3->SetDisplayDepth(displayDepth);
    KeepOpenOnEscape(*this);
    editor_ = std::make_unique<CropEditor>(CropEditor::Controls{*ui.ScrollBox1, *ui.Image2, *ui.Shape1, *ui.Image3});
    // Dragging the picture shows the crop's corner in the caption.
    editor_->OnDragged([this](CropEditor::Dragged dragged) {
        if (dragged == CropEditor::Dragged::Picture)
            setWindowTitle(QStringLiteral("%1     %2").arg(editor_->CropRect().Left).arg(editor_->CropRect().Top));
    });

    // The start, stop and exit buttons are safe at any time; the others fail
    // in ways the user must hear about.
    connect(ui.Button1, &QPushButton::clicked, this, &TFrmGetPic::Button1Click);
    connect(ui.Button2, &QPushButton::clicked, this, &TFrmGetPic::Button2Click);
    ConnectHandler(ui.Button3, &TFrmGetPic::Button3Click);
    ConnectHandler(ui.Button4, &TFrmGetPic::Button4Click);
    ConnectHandler(ui.Button5, &TFrmGetPic::Button5Click);
    ConnectHandler(ui.Button6, &TFrmGetPic::Button6Click);
    ConnectHandler(ui.Button7, &TFrmGetPic::Button7Click);
    ConnectHandler(ui.Button8, &TFrmGetPic::Button8Click);
    ConnectHandler(ui.Button9, &TFrmGetPic::Button9Click);
    connect(ui.Button10, &QPushButton::clicked, this, &TFrmGetPic::Button10Click);
    // Enter in the name field saves, as "保存" does.
    connect(ui.Edit1, &QLineEdit::returnPressed, this, [this] {
        if (ui.Button9->isEnabled())
            ReportErrors(dialogs_, [this] { Button9Click(); });
    });
    ConnectHandler(ui.Button11, &TFrmGetPic::Button11Click);
    ConnectHandler(ui.Button12, &TFrmGetPic::Button12Click);
    // A change of the selected name by mouse or keyboard loads that picture,
    // and so does a click on the name already selected (to start again from
    // the file); merely focusing the list selects nothing and loads nothing.
    connect(ui.ListBox1, &QListWidget::itemSelectionChanged, this, &TFrmGetPic::ListBox1Click);
    connect(ui.ListBox1, &TListBox::SelectedItemPressed, this, &TFrmGetPic::ListBox1Click);
    ConnectHandler(ui.Button13, &TFrmGetPic::Button13Click);
    ConnectHandler(ui.Button14, &TFrmGetPic::Button14Click);
    ConnectHandler(ui.Button15, &TFrmGetPic::Button15Click);
    ConnectHandler(ui.Button16, &TFrmGetPic::Button16Click);
    ConnectHandler(ui.Button17, &TFrmGetPic::Button17Click);
    // The photo day's keys, wherever the focus is; a key whose button is
    // unusable does nothing.
    const auto addKey = [this](int key, QPushButton* button) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setEnabled(false);
        connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isEnabled() && button->isVisible())
                button->click();
        });
        photoDayKeys_ << shortcut;
    };
    addKey(Qt::Key_Space, ui.Button3);
    addKey(Qt::Key_Return, ui.Button14);
    addKey(Qt::Key_Enter, ui.Button14);
    addKey(Qt::Key_S, ui.Button15);

    FormCreate();
}

TFrmGetPic::~TFrmGetPic() = default;

void TFrmGetPic::ConnectHandler(QAbstractButton* button, void (TFrmGetPic::*handler)())
{
    connect(button, &QAbstractButton::clicked, this,
            [this, handler] { ReportErrors(dialogs_, [&] { (this->*handler)(); }); });
}

QString TFrmGetPic::ScratchFilePath() const
{
    return ScratchFrameFile(programFolder_);
}

QString TFrmGetPic::OutputFolder() const
{
    return programFolder_ + kOutputFolderName + QDir::separator();
}

// ---- creation, activation, closing ----

void TFrmGetPic::FormCreate()
{
    ui.Button1->setText(QStringLiteral("开始采集"));
    ui.Button2->setText(QStringLiteral("停止采集"));
    ui.Button3->setText(QStringLiteral("获取图片"));
    ui.Button4->setText(QStringLiteral("放大"));
    ui.Button5->setText(QStringLiteral("缩小"));
    ui.Button6->setText(QStringLiteral("左旋转90度"));
    ui.Button7->setText(QStringLiteral("右旋转90度"));
    ui.Button8->setText(QStringLiteral("剪切图片"));
    ui.Button9->setText(QStringLiteral("保存"));
    ui.Button10->setText(QStringLiteral("退出"));
    ui.Edit1->clear();
    ui.Edit2->clear();
    ui.Button3->setEnabled(false);
    SetEditingEnabled(false);
    ShowPhotoDay();
}

void TFrmGetPic::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FitToScreen(*this, DesignSize());
    CentreOnScreen(*this);
    FormActivate();
}

void TFrmGetPic::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TFrmGetPic::FormActivate()
{
    setWindowTitle(kCaption);
}

void TFrmGetPic::done(int result)
{
    FormCloseQuery();
    QDialog::done(result);
}

void TFrmGetPic::FormCloseQuery()
{
    editor_->EmptyArea();
    QFile::remove(ScratchFilePath());
    if (captureWindow_)
        camera_.StopPreview();
    ui.Button3->setEnabled(false);
    SetEditingEnabled(false);
    // A photo day ends with the window; its progress file resumes it.
    if (photoDay_) {
        photoDay_.reset();
        ShowPhotoDay();
    }
}

void TFrmGetPic::SetEditingEnabled(bool enabled)
{
    for (QPushButton* button : {ui.Button4, ui.Button5, ui.Button6, ui.Button7, ui.Button8, ui.Button9, ui.Button12})
        button->setEnabled(enabled);
}

// ---- camera ----

void TFrmGetPic::Button1Click()
{
    // Image1's place inside its group box, taken as a place on the window:
    // the preview lies over the group box, slightly up and left of Image1.
    captureWindow_ = [&] {
        const WaitCursor busy; // the camera takes a moment to start
        return camera_.StartPreview(ui.GroupBox1->parentWidget(), ui.Image1->geometry());
    }();
    if (!captureWindow_)
        return;
    ui.Button3->setEnabled(true);
    // The preview would stay black without a word.
    if (!camera_.CameraFound())
        dialogs_.ShowMessage(kNoCameraMessage);
}

void TFrmGetPic::Button2Click()
{
    if (captureWindow_)
        camera_.StopPreview();
    ui.Button3->setEnabled(false);
}

void TFrmGetPic::Button3Click()
{
    if (captureWindow_)
        GrabCameraFrame(camera_, ScratchFilePath(), ui.Image2->Picture());
    ShowPicture();
}

void TFrmGetPic::ShowPicture()
{
    editor_->PlaceArea();
    editor_->ShowLoaded();
    SetEditingEnabled(true);
}

// ---- editing ----

void TFrmGetPic::Button4Click()
{
    editor_->Zoom(ZoomDirection::In);
}

void TFrmGetPic::Button5Click()
{
    editor_->Zoom(ZoomDirection::Out);
}

void TFrmGetPic::Button6Click()
{
    editor_->Turn(TurnDirection::Left);
}

void TFrmGetPic::Button7Click()
{
    editor_->Turn(TurnDirection::Right);
}

void TFrmGetPic::Button8Click()
{
    editor_->Crop();
    ui.Button9->setEnabled(true);
}

void TFrmGetPic::Button12Click()
{
    editor_->FrameFace();
}

void TFrmGetPic::Image2DragOver(int x, int y)
{
    editor_->DragOverPicture({x, y});
}

void TFrmGetPic::Shape1DragOver(int x, int y)
{
    editor_->DragOverFrame({x, y});
}

// ---- picture folder and saving ----

void TFrmGetPic::Button11Click()
{
    const std::optional<QString> folder = dialogs_.ChooseFolder(this, ui.Edit2->text());
    if (!folder)
        return;
    ui.Edit2->setText(*folder);
    FillListFromFolder(*ui.ListBox1, ui.Edit2->text(), kJpegMask);
}

void TFrmGetPic::ListBox1Click()
{
    if (photoDay_) {
        // On a photo day the list is the roster: a click goes to that student.
        const QListWidgetItem* selected = ui.ListBox1->currentItem();
        if (!selected || !selected->isSelected())
            return;
        ReportErrors(dialogs_, [&] {
            photoDay_->JumpTo(ui.ListBox1->row(selected));
            ShowStudentReached();
        });
        return;
    }
    editor_->PlaceArea();
    // A picture that cannot be loaded is passed over without a word: the
    // user sees nothing appear and picks another.
    try {
        const QListWidgetItem* selected = ui.ListBox1->currentItem();
        if (!selected || !selected->isSelected())
            return;
        const WaitCursor busy;
        ui.Image2->Picture().LoadFromFile(FileSystemPath(ui.Edit2->text() + selected->text()));
        ShowPicture();
    } catch (const std::exception&) {
    }
}

void TFrmGetPic::Button9Click()
{
    const QString typedName = ui.Edit1->text();
    if (TrimmedPictureName(typedName).isEmpty()) {
        dialogs_.ShowMessage(QStringLiteral("请输入图片名称！"));
        return;
    }
    const TGraphic* picture = ui.Image2->Picture().Graphic();
    if (!picture || picture->Empty())
        return;
    const TGraphic* cropped = ui.Image3->Picture().Graphic();
    if (!cropped || cropped->Empty()) {
        // Saving an empty preview would write nothing and still claim success.
        dialogs_.ShowMessage(QStringLiteral("请先剪切图片！"));
        return;
    }
    // The name as typed, blanks included.
    const QString fileName = typedName + kPictureExtension;
    QString cause;
    if (!IsPlainFileName(fileName)) {
        cause = QStringLiteral("图片名称不能含有 / \\ < > : \" | ? * 或控制字符，也不能是 . 或 ..");
    } else if (!QDir().mkpath(OutputFolder())) {
        // A fresh copy of the program may come without the folder.
        cause = QStringLiteral("无法建立文件夹 %1").arg(QDir::toNativeSeparators(OutputFolder()));
    } else {
        try {
            ui.Image3->Picture().SaveToFile(FileSystemPath(OutputFolder() + fileName));
        } catch (const std::exception& error) {
            cause = QStringLiteral("无法写入 %1（%2）")
                        .arg(QDir::toNativeSeparators(OutputFolder() + fileName), QString::fromUtf8(error.what()));
        }
    }
    if (!cause.isEmpty()) {
        dialogs_.ShowMessage(QStringLiteral("输入图片名称不对！\n\n出错原因：") + cause);
        return;
    }
    dialogs_.ShowMessage(QStringLiteral("图片保存成功!"));
    ui.Edit1->clear();
    ui.Image3->Picture().SetGraphic(nullptr);
}

void TFrmGetPic::Button10Click()
{
    reject(); // closing cleans up (done)
}

// ---- photo day ----

void TFrmGetPic::Button13Click()
{
    if (!readRoster_)
        return;
    const QString rosterFile = dialogs_.ChooseFile(this, QStringLiteral("支持的文件(txt)|*.txt"), QString());
    if (rosterFile.isEmpty())
        return;
    // A roster that cannot be read is reported (ConnectHandler) before any folder is asked for.
    const QStringList codes = readRoster_(rosterFile);
    const std::optional<QString> folder = dialogs_.ChooseFolder(this, QFileInfo(rosterFile).absolutePath());
    if (!folder)
        return;
    photoDay_ = std::make_unique<PhotoDaySession>(codes, *folder);
    students_ = [&] {
        const WaitCursor busy; // one query for the whole roster
        return SiteStudents::Read(lookUpStudents_, codes);
    }();
    ClearPictures();
    ShowPhotoDay();
    // The day does not need the site: it goes on with the codes alone.
    if (!students_.FailureMessage().isEmpty())
        dialogs_.ShowMessage(students_.FailureMessage());
    if (photoDay_->Resumed())
        dialogs_.ShowMessage(ResumedMessage(*photoDay_));
}

void TFrmGetPic::Button14Click()
{
    if (!photoDay_ || photoDay_->AtEnd())
        return;
    if (!editor_->HasPicture()) {
        dialogs_.ShowMessage(QStringLiteral("请先获取图片！"));
        return;
    }
    // What the frame shows now, as "剪切图片" would take it.
    editor_->Crop();
    SaveStudentPhoto(*photoDay_, ui.Image3->Picture());
    ShowStudentReached();
}

void TFrmGetPic::Button15Click()
{
    if (!photoDay_ || photoDay_->AtEnd())
        return;
    photoDay_->Absent();
    ShowStudentReached();
}

void TFrmGetPic::Button16Click()
{
    if (!photoDay_)
        return;
    photoDay_->Retake();
    ShowStudentReached();
}

void TFrmGetPic::ShowStudentReached()
{
    ClearPictures();
    ShowPhotoDay();
    if (photoDay_->AtEnd())
        dialogs_.ShowMessage(RosterEndMessage(*photoDay_));
}

void TFrmGetPic::Button17Click()
{
    if (!photoDay_)
        return;
    const QString folder = photoDay_->OutputFolder();
    dialogs_.ShowMessage(HandedOverMessage(*photoDay_));
    emit PhotoDayHandedOver(folder);
    accept(); // closing ends the photo day (done)
}

void TFrmGetPic::ClearPictures()
{
    editor_->EmptyAll();
    SetEditingEnabled(false);
}

void TFrmGetPic::ShowPhotoDay()
{
    const bool on = photoDay_ != nullptr;
    for (QWidget* control :
         std::initializer_list<QWidget*>{ui.Label4, ui.Label5, ui.Button14, ui.Button15, ui.Button16, ui.Button17})
        control->setVisible(on);
    // The typed name and its save stand aside: the roster names each photo.
    for (QWidget* control : std::initializer_list<QWidget*>{ui.Label3, ui.Edit1, ui.Button9, ui.Button11})
        control->setVisible(!on);
    for (QShortcut* key : std::as_const(photoDayKeys_))
        key->setEnabled(on);
    ui.GroupBox3->setVisible(on);
    if (surface_->size() != DesignSize()) {
        surface_->setFixedSize(DesignSize());
        FitToScreen(*this, DesignSize());
    }
    ShowCurrentStudent();
    const QSignalBlocker quiet(ui.ListBox1);
    ui.ListBox1->clear();
    if (!on) {
        ui.Label2->setText(QStringLiteral("源图片路径"));
        ui.Edit2->clear();
        return;
    }
    ui.Label2->setText(QStringLiteral("名单"));
    ui.Edit2->setText(QDir::toNativeSeparators(photoDay_->OutputFolder()));
    for (qsizetype i = 0; i < photoDay_->Count(); ++i)
        ui.ListBox1->addItem(RosterLine(*photoDay_, i, students_));
    const bool atEnd = photoDay_->AtEnd();
    if (!atEnd) {
        ui.ListBox1->setCurrentRow(static_cast<int>(photoDay_->Position()));
        ui.ListBox1->scrollToItem(ui.ListBox1->currentItem());
    }
    ui.Label4->setText(PositionLine(*photoDay_));
    ui.Button14->setEnabled(!atEnd);
    ui.Button15->setEnabled(!atEnd);
    ui.Button16->setEnabled(photoDay_->Position() > 0);
}

void TFrmGetPic::ShowCurrentStudent()
{
    const StudentPanel panel =
        photoDay_ ? PanelOf(*photoDay_, students_, makeThumbnail_, ui.Image4->contentsRect().size()) : StudentPanel{};
    ui.Label6->setText(panel.name);
    ui.Image4->setPixmap(QPixmap::fromImage(panel.photo));
    ui.Label8->setText(panel.note);
}

QSize TFrmGetPic::DesignSize() const
{
    return photoDay_ ? kPhotoDayDesignSize : kDesignSize;
}

#include "windows/capture/GetPic.h"

#include "editing/PictureName.h"
#include "files/FileSystemPath.h"
#include "files/PlainFileName.h"
#include "picture/JpegWriter.h"
#include "platform/camera/CameraSource.h"
#include "widgets/CameraGrab.h"
#include "widgets/CentreOnScreen.h"
#include "widgets/CropEditor.h"
#include "widgets/Dialogs.h"
#include "widgets/FitToScreen.h"
#include "widgets/KeepOpenOnEscape.h"
#include "widgets/ListBoxItems.h"
#include "widgets/ReportErrors.h"
#include "widgets/WaitCursor.h"

#include <QDir>
#include <QFile>

#include <exception>
#include <utility>

const QString TFrmGetPic::kCaption = QStringLiteral("图片采集");

namespace {

const QString kOutputFolderName = QStringLiteral("modified");
const QString kPictureExtension = QStringLiteral(".jpg");

// The client area the controls are laid out on.
constexpr QSize kDesignSize(960, 384);

} // namespace

TFrmGetPic::TFrmGetPic(Dialogs& dialogs, CameraSource& camera, QString programFolder, QWidget* parent,
                       DisplayColorDepth displayDepth)
    : QDialog(parent), dialogs_(dialogs), camera_(camera), programFolder_(std::move(programFolder))
{
    ui.setupUi(this);
    // Fixed border, close box only.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    PutControlsOnScrollingSurface(*this, kDesignSize);
    FitToScreen(*this, kDesignSize);
    // Only the close box and "退出" close the window: a stray Escape would
    // throw away the picture being prepared.
    KeepOpenOnEscape(*this);
    ui.Image2->SetDisplayDepth(displayDepth);
    ui.Image3->SetDisplayDepth(displayDepth);
    editor_ = std::make_unique<CropEditor>(CropEditor::Controls{*ui.ScrollBox1, *ui.Image2, *ui.Shape1, *ui.Image3});
    // Dragging the picture itself shows the crop's corner in the caption.
    editor_->OnDragged([this](CropEditor::Dragged dragged) {
        if (dragged == CropEditor::Dragged::Picture)
            setWindowTitle(QStringLiteral("%1     %2").arg(CropRect().Left).arg(CropRect().Top));
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
    ConnectHandler(ui.autoFrameButton, &TFrmGetPic::AutoFrameButtonClick);
    connect(ui.photoDayButton, &QPushButton::clicked, this, &TFrmGetPic::PhotoDayButtonClick);
    // A change of the selected name by mouse or keyboard loads that picture,
    // and so does a click on the name already selected (to start again from
    // the file); merely focusing the list selects nothing and loads nothing.
    connect(ui.ListBox1, &QListWidget::itemSelectionChanged, this, &TFrmGetPic::ListBox1Click);
    connect(ui.ListBox1, &TListBox::SelectedItemPressed, this, &TFrmGetPic::ListBox1Click);

    FormCreate();
}

TFrmGetPic::~TFrmGetPic() = default;

void TFrmGetPic::ConnectHandler(QAbstractButton* button, void (TFrmGetPic::*handler)())
{
    connect(button, &QAbstractButton::clicked, this,
            [this, handler] { ReportErrors(dialogs_, [&] { (this->*handler)(); }); });
}

void TFrmGetPic::UseFaceModel(std::filesystem::path model)
{
    editor_->UseFaceModel(std::move(model));
}

const TRect& TFrmGetPic::CropRect() const
{
    return editor_->CropRect();
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
}

void TFrmGetPic::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FitToScreen(*this, kDesignSize);
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
    StopCamera();
    SetEditingEnabled(false);
}

void TFrmGetPic::SetEditingEnabled(bool enabled)
{
    for (QPushButton* button :
         {ui.Button4, ui.Button5, ui.Button6, ui.Button7, ui.Button8, ui.Button9, ui.autoFrameButton})
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
    StopCamera();
}

void TFrmGetPic::StopCamera()
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

void TFrmGetPic::AutoFrameButtonClick()
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
            // The preview is drawn on its canvas: it holds a Bitmap.
            SavePhotoAsJpeg(ui.Image3->Picture().Bitmap(), FileSystemPath(OutputFolder() + fileName));
        } catch (const std::exception& error) {
            cause = QStringLiteral("无法写入 %1（%2）")
                        .arg(QDir::toNativeSeparators(OutputFolder() + fileName), QString::fromUtf8(error.what()));
        }
    }
    if (!cause.isEmpty()) {
        dialogs_.ShowMessage(QStringLiteral("输入图片名称不对！\n\n出错原因：") + cause);
        return;
    }
    // Where it went, so that nobody has to hunt for it beside the program.
    dialogs_.ShowMessage(
        QStringLiteral("图片保存成功!\n文件夹：%1\n文件：%2").arg(QDir::toNativeSeparators(OutputFolder()), fileName));
    ui.Edit1->clear();
    ui.Image3->Picture().SetGraphic(nullptr);
}

void TFrmGetPic::Button10Click()
{
    reject(); // closing cleans up (done)
}

// ---- photo day ----

void TFrmGetPic::PhotoDayButtonClick()
{
    // The day's window shows the camera's one preview: this window lets it go.
    StopCamera();
    emit PhotoDayRequested();
}

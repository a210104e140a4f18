#include "main_window/Form1.h"

#include "common/widgets/Dialogs.h"
#include "platform/InstallationFolderStore.h"

#include <QCoreApplication>
#include <QDialog>
#include <QScreen>

const QString TForm1::kTitle = QStringLiteral("学生照片设置辅助工具");
const QString TForm1::kFolderNotChosen = QStringLiteral("请点击\"浏览\"按钮选择软件安装目录！");

TForm1::TForm1(Dialogs& dialogs, const InstallationFolderStore& folderStore, QWidget* parent)
    : QWidget(parent)
    , dialogs_(dialogs)
    , folderStore_(folderStore)
{
    ui.setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(405, 464);
    setWindowIcon(QIcon(QStringLiteral(":/student-photo.png")));
    ui.ListBox2->SetTypingSelects(false);

    connect(ui.Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(ui.Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(ui.Button6, &QPushButton::clicked, this, &TForm1::Button6Click);
    connect(ui.Button7, &QPushButton::clicked, this, &TForm1::Button7Click);
    connect(ui.Button8, &QPushButton::clicked, this, &TForm1::Button8Click);

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
    // Coming back from a side window shows the main window again without
    // activating it anew: the activation steps belong to the first showing.
    if (shownBefore_)
        return;
    shownBefore_ = true;
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    FormActivate();
}

void TForm1::FormActivate()
{
    ui.ListBox1->setFocus();
    ui.Edit3->clear();
}

void TForm1::Button1Click()
{
    const std::optional<QString> folder = dialogs_.ChooseFolder(this);
    if (!folder)
        return;
    ui.Edit1->setText(*folder);
    // A folder that cannot be remembered still serves for this run.
    try {
        folderStore_.Write(ui.Edit1->text());
    } catch (const SettingsStoreError&) {
    }
}

void TForm1::Button3Click()
{
    close();
}

void TForm1::Button6Click()
{
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

void TForm1::TakePhotoList(const QString& photoFolder, const QStringList& names)
{
    ui.Edit3->setText(photoFolder);
    ui.ListBox2->clear();
    if (names.isEmpty())
        return;
    ui.StatusBar1->SetPanelText(1, QStringLiteral("共有 %1 图片").arg(names.size()));
    ui.ListBox2->addItems(names);
}

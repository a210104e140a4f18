// The shared pieces that make every window look and read alike: Qt's own
// texts in Chinese, the status bar's panels and the list boxes.
#include "capture_window/GetPic.h"
#include "common/widgets/QtChineseTexts.h"
#include "main_window/Form1.h"
#include "platform/InstallationFolderStore.h"
#include "platform/SyntheticCameraSource.h"
#include "resize_window/ModifyPic.h"
#include "support/RecordingDialogs.h"

#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(QtChineseTexts, QtsOwnDialogTextsAreChineseWhenTheTranslationIsThere)
{
    const QTemporaryDir noTranslations;
    const struct {
        const char* where;
        QString folder;
        bool installed;
        QString okButton;
        QString fileNameLabel;
    } rows[] = {
        {"Qt's translations", QLibraryInfo::path(QLibraryInfo::TranslationsPath), true, "确定", "文件名称(&N)："},
        {"a folder without them", noTranslations.path(), false, "OK", "File &name:"},
    };
    for (const auto& row : rows) {
        const std::unique_ptr<QTranslator> translator = InstallQtChineseTexts(row.folder);
        EXPECT_EQ(translator != nullptr, row.installed) << row.where;
        QMessageBox box(QMessageBox::NoIcon, QString(), QString(), QMessageBox::Ok);
        EXPECT_EQ(box.button(QMessageBox::Ok)->text(), row.okButton) << row.where;
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        EXPECT_EQ(dialog.findChild<QLabel*>("fileNameLabel")->text(), row.fileNameLabel) << row.where;
    }
}

TEST(ListBoxes, EveryListShortensALongNameInsideTheList)
{
    const QTemporaryDir folder;
    RecordingDialogs dialogs;
    const InstallationFolderStore store = InstallationFolderStore::AtFile(folder.filePath("settings.conf"));
    SyntheticCameraSource camera;
    TForm1 mainWindow(dialogs, store);
    TFrmGetPic captureWindow(dialogs, camera, folder.path() + "/");
    TfrmPicture resizeWindow(dialogs, mainWindow);
    const QString longName = QString("2023级高一(3)班_").repeated(6) + "001.jpg";
    for (TListBox* list : {mainWindow.ui.ListBox1, mainWindow.ui.ListBox2,
                              captureWindow.ui.ListBox1, resizeWindow.ui.chklstbox}) {
        const QString name = list->window()->objectName() + "." + list->objectName();
        list->window()->show();
        list->addItem(longName);
        // The item ends at the list's edge (so the style shortens its text
        // there) and nothing can be scrolled into view sideways.
        EXPECT_LE(list->visualItemRect(list->item(0)).right(), list->viewport()->rect().right()) << name.toStdString();
        EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0) << name.toStdString();
        EXPECT_EQ(list->textElideMode(), Qt::ElideMiddle) << name.toStdString();
    }
}

#include "capture_window/GetPic.h"
#include "common/widgets/Dialogs.h"
#include "main_window/Form1.h"
#include "platform/InstallationFolderStore.h"
#include "resize_window/ModifyPic.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);

    PlatformDialogs dialogs;
    const InstallationFolderStore folderStore = InstallationFolderStore::ForCurrentUser();

    // The three windows, in the order the tool has always made them; the side
    // windows stay hidden until the main window shows them modally.
    TForm1 Form1(dialogs, folderStore);
    TFrmGetPic FrmGetPic(&Form1);
    TfrmPicture frmPicture(&Form1);
    Form1.AttachSideWindows(&FrmGetPic, &frmPicture);

    Form1.show();
    return application.exec();
}

#pragma once

#include "picture/DisplayColorDepth.h"
#include "windows/capture/GetPic.h"
#include "windows/main/Form1.h"
#include "windows/photoday/PhotoDay.h"
#include "windows/resize/ModifyPic.h"

#include <QString>

class CameraSource;
class Dialogs;
class InstallationFolderStore;
struct ProgramSettings;

// The program's windows, made in the order the tool has always made them
// and connected, so that none of them knows another: the resize window and
// the photo day hand their photos to the main window, and the capture
// window's "按名单拍照" opens the photo day, which reads its roster as the
// main window does and looks its students up on the site the main window
// has chosen. The side windows stay hidden until the main window (or, for
// the day, the capture window) shows them.
struct ProgramWindows {
    // `programFolder` is the folder string of the program's own folder: the
    // capture windows' scratch file and "modified" live there.
    ProgramWindows(Dialogs& dialogs, const InstallationFolderStore& folderStore, CameraSource& camera,
                   const QString& programFolder, DisplayColorDepth displayDepth, const ProgramSettings& settings);

    TForm1 Form1;
    TFrmGetPic FrmGetPic;
    TFrmPhotoDay FrmPhotoDay;
    TfrmPicture frmPicture;
};

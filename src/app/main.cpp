#include "app/ProgramWindows.h"
#include "assignment/journal/JournalStore.h"
#include "faces/FaceDetector.h"
#include "faces/OpenCvThreads.h"
#include "files/FolderString.h"
#include "picture/DisplayColorDepth.h"
#include "platform/camera/ChosenCameraSource.h"
#include "platform/database/OdbcConnectionString.h"
#include "platform/settings/InstallationFolderStore.h"
#include "platform/settings/ProgramSettings.h"
#include "widgets/Dialogs.h"
#include "widgets/QtChineseTexts.h"

#include <QApplication>
#include <QProcessEnvironment>
#include <QScreen>

#include <memory>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // What the environment chooses, read here once and handed down.
    const ProgramSettings defaults{.odbcDriver = DefaultOdbcDriver(),
                                   .dataFolder = JournalStore::DefaultDataFolder(),
                                   .faceModel = FaceDetector::DefaultCascadeFile(),
                                   .settingsFile = {}, // the user's own store
                                   .testCamera = {}};  // the machine's camera
    const ProgramSettings settings = ProgramSettingsFrom(QProcessEnvironment::systemEnvironment(), defaults);
    KeepOpenCvOnCallingThreads();
    const std::unique_ptr<QTranslator> qtChineseTexts = InstallQtChineseTexts();
    // New drawing surfaces and written BMP files take the screen's depth when
    // it is a palette screen; everywhere else they are 32 bits per pixel.
    DisplayColorDepth displayDepth;
    if (const QScreen* screen = QGuiApplication::primaryScreen(); screen && screen->depth() <= 8)
        displayDepth = DisplayColorDepth(8);

    PlatformDialogs dialogs;
    const InstallationFolderStore folderStore = settings.settingsFile.isEmpty()
                                                    ? InstallationFolderStore::ForCurrentUser()
                                                    : InstallationFolderStore::AtFile(settings.settingsFile);
    const std::unique_ptr<CameraSource> camera = ChosenCameraSource(settings.testCamera);
    // The capture windows keep their scratch file and their output folder beside the executable.
    const QString programFolder = FolderString(QCoreApplication::applicationDirPath());

    ProgramWindows windows(dialogs, folderStore, *camera, programFolder, displayDepth, settings);
    windows.Form1.show();
    return application.exec();
}

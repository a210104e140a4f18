#include "assignment/input/Roster.h"
#include "assignment/journal/JournalStore.h"
#include "assignment/site/StudentCards.h"
#include "assignment/views/Thumbnail.h"
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
#include "windows/capture/GetPic.h"
#include "windows/main/Form1.h"
#include "windows/resize/ModifyPic.h"

#include <QApplication>
#include <QProcessEnvironment>
#include <QScreen>

#include <memory>
#include <stdexcept>

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
    // The capture window keeps its scratch file and its output folder beside the executable.
    const QString programFolder = FolderString(QCoreApplication::applicationDirPath());

    // The three windows, in the order the tool has always made them; the side
    // windows stay hidden until the main window shows them modally.
    TForm1 Form1(dialogs, folderStore);
    TFrmGetPic FrmGetPic(dialogs, *camera, programFolder, &Form1, displayDepth);
    TfrmPicture frmPicture(dialogs, &Form1, displayDepth);
    Form1.UseOdbcDriver(settings.odbcDriver);
    Form1.UseJournal(JournalStore(settings.dataFolder));
    Form1.UseFaceModel(settings.faceModel);
    FrmGetPic.UseFaceModel(settings.faceModel);
    frmPicture.UseFaceModel(settings.faceModel);
    QObject::connect(&frmPicture, &TfrmPicture::PicturesHandedOver, &Form1, &TForm1::TakePhotoList);
    // The photo day reads its roster as "加载学生学籍号" does.
    FrmGetPic.UseRosterReader([](const QString& path) {
        try {
            return ReadRoster(path);
        } catch (const ERosterError& error) {
            throw std::runtime_error(
                (kRosterFailedMessage + u'\n' + QString::fromStdString(error.what())).toStdString());
        }
    });
    // ... and shows who each student is on the site the main window has chosen.
    FrmGetPic.UseStudentLookup([&Form1](const QStringList& codes) {
        PhotoDayStudents students;
        const QHash<QString, StudentCard> cards = Form1.LookUpStudents(codes);
        for (auto card = cards.cbegin(); card != cards.cend(); ++card)
            students.insert(card.key(), {card->name, card->currentPhoto});
        return students;
    });
    FrmGetPic.UseThumbnails(MakeThumbnail);
    QObject::connect(&FrmGetPic, &TFrmGetPic::PhotoDayHandedOver, &Form1, &TForm1::TakePhotoFolderByName);
    Form1.AttachSideWindows(&FrmGetPic, &frmPicture);

    Form1.show();
    return application.exec();
}

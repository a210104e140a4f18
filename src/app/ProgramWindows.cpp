#include "app/ProgramWindows.h"

#include "assignment/input/Roster.h"
#include "assignment/journal/JournalStore.h"
#include "assignment/views/Thumbnail.h"
#include "platform/settings/InstallationFolderStore.h"
#include "platform/settings/ProgramSettings.h"

#include <QDesktopServices>
#include <QUrl>

#include <stdexcept>

ProgramWindows::ProgramWindows(Dialogs& dialogs, const InstallationFolderStore& folderStore, CameraSource& camera,
                               const QString& programFolder, DisplayColorDepth displayDepth,
                               const ProgramSettings& settings)
    : Form1(dialogs, folderStore),
      FrmGetPic(dialogs, camera, programFolder, &Form1, displayDepth),
      FrmPhotoDay(dialogs, camera, programFolder, &FrmGetPic, displayDepth),
      frmPicture(dialogs, &Form1, displayDepth)
{
    Form1.UseOdbcDriver(settings.odbcDriver);
    Form1.UseJournal(JournalStore(settings.dataFolder));
    Form1.UseFaceModel(settings.faceModel);
    FrmGetPic.UseFaceModel(settings.faceModel);
    FrmPhotoDay.UseFaceModel(settings.faceModel);
    frmPicture.UseFaceModel(settings.faceModel);
    QObject::connect(&frmPicture, &TfrmPicture::PicturesHandedOver, &Form1, &TForm1::TakePhotoList);

    // The photo day opens over the capture window, which has let the camera go.
    QObject::connect(&FrmGetPic, &TFrmGetPic::PhotoDayRequested, &FrmPhotoDay, &TFrmPhotoDay::StartDay);
    // The day reads its roster as "加载学生学籍号" does ...
    FrmPhotoDay.UseRosterReader([](const QString& path) {
        try {
            return ReadRoster(path);
        } catch (const ERosterError& error) {
            throw std::runtime_error(
                (kRosterFailedMessage + u'\n' + QString::fromStdString(error.what())).toStdString());
        }
    });
    // ... chosen where the site is, whose folder the main window remembers ...
    FrmPhotoDay.UseRosterFolder([&folderStore] {
        try {
            return folderStore.Read().value_or(QString());
        } catch (const SettingsStoreError&) {
            return QString(); // the platform's choice
        }
    });
    // ... shows who each student is on the site the main window has chosen ...
    FrmPhotoDay.UseStudentLookup([this](const QStringList& codes) { return Form1.LookUpStudents(codes); });
    FrmPhotoDay.UseThumbnails(MakeThumbnail);
    // The students' cards open in the browser, to be printed.
    FrmPhotoDay.UseFileOpener([](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); });
    // ... and hands its roster, its folder (to be paired by file name) and
    // the students recorded absent to the main window; the capture window
    // closes with it, so that the user is back where the photos are set.
    QObject::connect(&FrmPhotoDay, &TFrmPhotoDay::PhotoDayHandedOver, &Form1, [this](const PhotoDayHandOver& handOver) {
        Form1.TakePhotoDay(handOver.roster, handOver.photoFolder, handOver.absent);
    });
    QObject::connect(&FrmPhotoDay, &TFrmPhotoDay::PhotoDayHandedOver, &FrmGetPic, &QDialog::accept);
    Form1.AttachSideWindows(&FrmGetPic, &frmPicture);
}

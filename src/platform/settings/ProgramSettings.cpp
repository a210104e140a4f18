#include "platform/settings/ProgramSettings.h"

#include "files/FileSystemPath.h"

namespace {

// Puts the variable's value into `value` when it is set and not empty; says
// whether it did. An empty value chooses nothing, as an unset one.
bool Chosen(const QProcessEnvironment& environment, const char* name, QString& value)
{
    const QString chosen = environment.value(QString::fromLatin1(name));
    if (chosen.isEmpty())
        return false;
    value = chosen;
    return true;
}

} // namespace

ProgramSettings ProgramSettingsFrom(const QProcessEnvironment& environment, ProgramSettings defaults)
{
    ProgramSettings settings = std::move(defaults);
    Chosen(environment, "STUDENT_PHOTO_ODBC_DRIVER", settings.odbcDriver);
    Chosen(environment, "STUDENT_PHOTO_DATA", settings.dataFolder);
    if (QString faceModel; Chosen(environment, "STUDENT_PHOTO_FACE_CASCADE", faceModel))
        settings.faceModel = FileSystemPath(faceModel);
    Chosen(environment, "STUDENT_PHOTO_SETTINGS", settings.settingsFile);
    Chosen(environment, "STUDENT_PHOTO_TEST_CAMERA", settings.testCamera);
    return settings;
}

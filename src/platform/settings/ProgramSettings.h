#pragma once

#include <QProcessEnvironment>
#include <QString>

#include <filesystem>

// What a program takes from its environment. Each program reads it once, as
// it starts (src/app/main.cpp, src/cli/main.cpp), and hands every part to
// what needs it: the libraries read no environment variable themselves, so
// that a test or a second window can choose differently without touching the
// process.
struct ProgramSettings {
    // STUDENT_PHOTO_ODBC_DRIVER: the registered ODBC driver the query object
    // connects through (the demo site and the tests use SQLite3 and
    // PostgreSQL).
    QString odbcDriver;
    // STUDENT_PHOTO_DATA: the data folder of the journals of every site.
    QString dataFolder;
    // STUDENT_PHOTO_FACE_CASCADE: the face detector's model file.
    std::filesystem::path faceModel;
    // STUDENT_PHOTO_SETTINGS: a settings file that stands in for the user's
    // own store of the installation folder (the demo site uses it); empty for
    // the user's own store.
    QString settingsFile;
    // STUDENT_PHOTO_TEST_CAMERA: a camera that shows one fixed frame instead
    // of the machine's first camera: the picture file it names, or a test
    // pattern for any other value (such as 1); empty for the machine's camera.
    QString testCamera;
};

// `defaults`, with the value of each of the variables above that is set and
// not empty in `environment` in place of its field. The face model's name
// becomes a path in the file system's own encoding (FileSystemPath.h).
ProgramSettings ProgramSettingsFrom(const QProcessEnvironment& environment, ProgramSettings defaults);

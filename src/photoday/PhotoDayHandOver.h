#pragma once

#include <QString>
#include <QStringList>

// What "交给主窗口" hands to the main window: the day's roster and the folder
// of its photos, named by code, to be paired by file name; and the students
// recorded absent, whom the proof sheet shows as absent rather than as
// missing a photo.
struct PhotoDayHandOver {
    QString rosterFile;
    QStringList roster;
    QString photoFolder;
    QStringList absent;
};

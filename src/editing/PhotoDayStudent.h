#pragma once

#include <QHash>
#include <QString>

// What the photo day shows of a student beside the camera's picture, so that
// the photographer sees whether the right student stands there: who the site
// says the code is, and the photo it holds for them now.
struct PhotoDayStudent {
    QString name;         // empty where the site keeps no names
    QString currentPhoto; // the file of the site's photo; empty: none
};

// The students the site knows, by roster code.
using PhotoDayStudents = QHash<QString, PhotoDayStudent>;

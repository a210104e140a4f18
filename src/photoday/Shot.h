#pragma once

#include <QDateTime>
#include <QString>

#include <memory>

class TBitmap;

// A grab at the camera, bound from the start to the student it was taken
// for: only that student's photo can be made of it.
struct Shot {
    qsizetype student = -1; // the roster position, from 0
    QString code;
    // The camera's whole frame as grabbed, shared with the checks and never
    // changed.
    std::shared_ptr<const TBitmap> frame;
    QDateTime taken;
};

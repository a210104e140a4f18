#pragma once

#include <QStringList>

class PhotoDaySession;
class TBitmap;
struct Shot;

// The save step of the day: `framed` (the 120 by 180 photo framed from the
// shot) written as the current student's CODE.jpg and the shot's whole
// frame as 原图/CODE.jpg, with the checks' `problems` the photographer chose
// to save it with, and the day moved on to the next student. Throws
// EPhotoDayError, and the day stays with the student, when there is no shot
// or no framed photo, when the shot was taken for another student, or when
// a file cannot be written. Nothing at the end of the roster.
void SaveStudentPhoto(PhotoDaySession& day, const Shot& shot, const TBitmap& framed, const QStringList& problems);

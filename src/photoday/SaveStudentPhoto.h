#pragma once

class PhotoDaySession;
class TPicture;

// The save step of the day: `photo` (the framed 120 by 180 picture) written
// as the current student's CODE.jpg in the day's folder, as the window
// writes pictures (BMP data under the .jpg name), and the day moved on to
// the next student. Throws EPhotoDayError, and the day stays with the
// student, when the photo is empty or cannot be written. Nothing at the end
// of the roster.
void SaveStudentPhoto(PhotoDaySession& day, const TPicture& photo);

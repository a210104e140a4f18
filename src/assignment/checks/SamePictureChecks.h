#pragma once

#include "assignment/plan/AssignmentTypes.h"
#include "assignment/plan/PhotoFacts.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

// One picture given for two students is a mistake that moves photos onto the
// wrong students, whatever the files are called.

// One row of a plan as these checks see it.
struct PictureOfRow {
    qsizetype line = 0;
    QString photoName;
    QString source;              // the new photo
    QString currentPhoto;        // the student's current photo file; empty: none
    PhotoFacts* photo = nullptr; // the new photo's facts, as the probe found them
};

// What the checks found of one row.
struct SamePictures {
    // The lines of the other new photos that show the same picture, and of
    // the other students whose current photo this one shows.
    QList<qsizetype> newPhotoLines;
    QList<qsizetype> currentPhotoLines;
};

// Photos of the same bytes (one file listed under two names, reached through
// a link or a hard link, or copied): a refusal naming their lines and names,
// or nothing. Files that are no picture are left to their own warning.
std::optional<AssignmentOutcome> RefuseIdenticalPhotos(const QList<PictureOfRow>& rows);

// Decodes every new photo, and every current photo file, with the picture
// component, several at a time, and finds the same picture among them
// (PhotoLook.h). A new photo whose pixels cannot be decoded is made
// unreadable in its facts (and so never installed). One entry for each row.
QList<SamePictures> LookAtPictures(const QList<PictureOfRow>& rows);

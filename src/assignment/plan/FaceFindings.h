#pragma once

#include "faces/PortraitExamination.h"

#include <QList>
#include <QtGlobal>

// What the face checks measured in a row's photo, for the particulars of
// their warnings.
struct FaceFindings {
    FaceTurn turn = FaceTurn::None;
    int faceHeight = 0;       // pixels of the photo
    int darkPercent = 0;      // of the face near black
    int brightPercent = 0;    // of the face near white
    int sharpnessPercent = 0; // of the batch's median
    qint64 captureGapSeconds = 0;
    int shiftedTowards = 0;             // of a shifted block: 1 the row below's student, -1 the row above's
    QList<qsizetype> otherStudentLines; // the students whose current face the new photo shows
};

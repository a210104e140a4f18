#pragma once

#include "assignment/plan/AssignmentTypes.h"
#include "assignment/plan/FaceFindings.h"
#include "assignment/plan/PhotoFacts.h"

#include <QFlags>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

// What the user should look at before a run goes on; none of them stops it.
enum class PlanWarning {
    NoStudent = 0x1,       // no row in studentbaseinfo has this code
    UnreadablePhoto = 0x2, // missing, or not a readable JPEG or BMP picture
    OddShape = 0x4,        // far from the 2:3 portrait shape: landscape or square
    HasPhoto = 0x8,        // the student has a photo already; it will be replaced (the journal keeps it)
    // Pairing by index file.
    LeadingZeros = 0x10, // the index's code equals the roster's only without leading zeros
    // The same picture twice, by its looks (SamePictureChecks.h).
    SamePicture = 0x20,          // another new photo shows the same picture
    AnotherStudentsPhoto = 0x40, // it shows another student's current photo
    // Face checks (FaceChecks.h), looking at the photo itself and at its neighbours
    NoFace = 0x10000,              // no face found, upright or turned
    SeveralFaces = 0x20000,        // more than one face of about the same size
    TurnedFace = 0x40000,          // the face shows only after a quarter or half turn
    SmallFace = 0x80000,           // the face has too few pixels for a clear 120 x 180 photo
    DarkFace = 0x100000,           // much of the face near black
    BrightFace = 0x200000,         // much of the face near white
    Blurred = 0x400000,            // far less sharp than the batch's other photos
    LikelyRetake = 0x800000,       // near the same face as the row above: a retake kept by mistake?
    LongCaptureGap = 0x1000000,    // taken much longer after the row above than the rest: a student skipped?
    ShiftedBlock = 0x2000000,      // in a block of rows whose photos show the next row's students
    OtherStudentsFace = 0x4000000, // shows another student's face, by their current photo, not its own
    // Codes compared as the database compares them:
    CodeNeedsFolding = 0x80, // full-width characters or unusual blanks: the database folds them
    // The roster's codes.
    BlankAroundCode = 0x100, // blanks before or after the code, which no one sees
};
Q_DECLARE_FLAGS(PlanWarnings, PlanWarning)
Q_DECLARE_OPERATORS_FOR_FLAGS(PlanWarnings)

// Every warning kind, in the order they are shown (their texts are in PlanRowView.cpp).
inline constexpr PlanWarning kAllPlanWarnings[] = {
    PlanWarning::NoStudent, PlanWarning::UnreadablePhoto, PlanWarning::OddShape, PlanWarning::HasPhoto,
    PlanWarning::LeadingZeros, PlanWarning::SamePicture, PlanWarning::AnotherStudentsPhoto,
    // Face checks
    PlanWarning::NoFace, PlanWarning::SeveralFaces, PlanWarning::TurnedFace, PlanWarning::SmallFace,
    PlanWarning::DarkFace, PlanWarning::BrightFace, PlanWarning::Blurred, PlanWarning::LikelyRetake,
    PlanWarning::LongCaptureGap, PlanWarning::ShiftedBlock, PlanWarning::OtherStudentsFace,
    // Codes compared as the database compares them
    PlanWarning::CodeNeedsFolding, PlanWarning::BlankAroundCode};

// How much a kind of remark weighs. A warning asks the user to look at the
// row before the run; a notice only tells what the run will do (a photo
// replaced, which an undo takes back): a class photographed again has one
// on every row, and it must not hide the few rows that need a look.
enum class RemarkWeight { Notice, Warning };
// The one place that weighs each kind; a kind not named here is a warning.
inline constexpr PlanWarning kNoticeKinds[] = {PlanWarning::HasPhoto};
RemarkWeight WeightOf(PlanWarning warning);

// One student of a plan: what the run will do for it and what is there now.
struct PlanRow {
    qsizetype line = 0; // roster line, from 1
    QString code;
    QString name;      // the student's name, where the table has a name column
    QString photoName; // as the photo list names it
    QString source;    // the photo's full path
    PhotoFacts photo;
    QString destination; // code + ".jpg" in the site's photo folder
    bool destinationExists = false;
    bool studentExists = false;
    // The student's photo column now (a null QVariant for NULL); invalid
    // when there is no student.
    QVariant currentPhoto;
    PlanWarnings warnings;
    // The lines of the other new photos that show the same picture, and of
    // the other students whose current photo this one shows.
    QList<qsizetype> samePictureLines;
    QList<qsizetype> currentPhotoOfLines;
    FaceFindings faces; // the particulars of the face checks' warnings
};

// Whether any of the row's remarks is a warning (not only notices).
bool HasWarning(const PlanRow& row);

// What a run will do, made before anything is written, shown to the user
// (PlanRowView.h) and then carried out exactly (RunAssignment).
struct AssignmentPlan {
    QString installationFolder; // a folder string
    SiteIdentity site;          // how the journal knows the site, made once for the plan and its run
    QString sitePhotoFolder;    // upload/StudentPhoto/ in it, ending with a separator
    // The database as the site's Web.config names it ("server / database"),
    // to tell sites apart in the journal; never the password.
    QString database;
    // The connection string the plan was read with: the run refuses to go on
    // against another.
    QString connectionString;
    // The column the students' names were read from; empty when
    // studentbaseinfo has none (the views then show no names).
    QString nameColumn;
    QList<PlanRow> rows;
    // What concerns the plan as a whole rather than one row (codes without a
    // photo, photos without a code, a block of photos shifted against their
    // codes), one sentence each, shown under the summary.
    QStringList notices;

    qsizetype Count(PlanWarning warning) const;
    // Whether any row has a warning (HasWarning) or the plan a notice: a
    // plan whose rows have only notices is a clean plan.
    bool HasWarnings() const;
    // The rows in the order a proof sheet shows them: rows with warnings
    // first, then rows with only notices, then the rest, each group in
    // roster order.
    QList<qsizetype> ProofOrder() const;
};

// The photo shapes that count as far from the 2:3 portrait: wider than
// about 6:7 (square or landscape) or narrower than 1:2.
bool IsOddPhotoShape(int width, int height);

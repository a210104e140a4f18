#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The plain values an assignment run is made of, shared by its plan, the run,
// its messages and its undo, so that none of them needs another's header.

// A web application site as the journal tells sites apart: made once for
// a run (its plan carries it) or an undo, from the installation folder
// (IdentifySite, SiteIdentity.h).
struct SiteIdentity {
    // The installation folder with links and "." or ".." resolved, ending
    // with "/": one site has one such name however its folder was written.
    QString canonicalFolder;
    // The name of the site's folder of journals: the first 16 hex digits of
    // the SHA-256 of canonicalFolder.
    QString journalName;
};

// How the roster's codes find their photos.
enum class PairingMode {
    Position,  // the n-th code takes the n-th photo of the list
    FileName,  // a photo named after the code (CODE.jpg, any letter case)
    IndexFile, // a text file of rows "code, photo file"
};

// One row of a photographer's index file (PhotoIndex.h reads them).
struct PhotoIndexRow {
    qsizetype line = 0; // line of the index file, from 1
    QString code;
    QString photo; // as written, with "/" for either separator
    friend bool operator==(const PhotoIndexRow&, const PhotoIndexRow&) = default;
};

// What an assignment run works on: the web application's installation
// folder, the photo folder and the two lists, paired as `pairing` says.
struct AssignmentInput {
    // Nothing while no installation folder has been chosen. The folder text
    // ends with its separator; file names are appended to it directly.
    std::optional<QString> installationFolder;
    QString photoFolder; // a folder string; empty while no photos are loaded
    QStringList codes;
    QStringList photoNames;
    PairingMode pairing = PairingMode::Position;
    // The index file of PairingMode::IndexFile, and its rows as they were
    // read when it was loaded, so that the rows shown are the rows paired
    // (the photo list and folder are then not used).
    QString indexFile = {};
    QList<PhotoIndexRow> indexRows = {};
    // The setting NameColumn: the column of studentbaseinfo with the
    // students' names; empty: looked for under its usual names.
    QString nameColumn = {};
    // The students recorded absent on the day the photos were taken (a photo
    // day's hand-over): paired by name or index, such a code without a photo
    // is told as absent, not as a photo missing. Nothing is set for them.
    QStringList absentCodes = {};
};

// One student named in an outcome: roster line (from 1), code and why.
struct StudentNote {
    qsizetype line = 0;
    QString code;
    QString reason;

    friend bool operator==(const StudentNote&, const StudentNote&) = default;
};

struct AssignmentOutcome {
    enum class Result {
        Refused,   // an input check or a guard stopped the run; nothing was touched
        Failed,    // the run began and ended on an error
        Completed, // every student was gone through
    };
    Result result = Result::Refused;
    // What the user is shown when the run ends: short enough for a message
    // box (lists cut after ten codes) ...
    QString message;
    // ... and the full lists, one student a line; empty when the message
    // already says everything.
    QString details;
    // The main window's status panel 0 after the run; empty when a refusal
    // leaves it as it was.
    QString statusText;
    // The error that ended a failed run (a missing folder, the Web.config, the
    // database's own message).
    QString failureReason;
    // Students whose photo could not be copied; their rows were not written.
    QList<StudentNote> notCopied;
    // Of those, the students whose old photo the failed copy took away: put
    // back from the bytes the run had read, or lost (an undo can restore it).
    QList<StudentNote> oldPhotoPutBack;
    QList<StudentNote> oldPhotoLost;
    // Students whose statement changed no row: no such student in the table.
    QList<StudentNote> noRowChanged;
    // Students whose photo changed between the plan and the run: neither
    // copied nor written.
    QList<StudentNote> changedSincePlan;
    // A failed run's student whose photo was copied but whose row was not written.
    std::optional<StudentNote> copiedWithoutRow;
    // Students gone through, as the gauge shows them, and of those the ones
    // whose photo was copied and whose row was written.
    qsizetype studentsDone = 0;
    qsizetype studentsSet = 0;
    // The journal entry of the run, empty when nothing was journaled.
    QString runId;
    // Older runs whose journal was removed to make room: they can no longer be undone.
    QStringList prunedRuns;

    // True when every student's photo was copied and its row written.
    bool EverythingSet() const { return result == Result::Completed && NotSetCount() == 0; }
    qsizetype NotSetCount() const { return notCopied.size() + changedSincePlan.size() + noRowChanged.size(); }
};

#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

enum class UndoMode {
    LeaveChangedAlone, // a student changed since the run keeps its present state
    // Every student goes back to its state before the run, except the
    // students whose records in the journal are damaged: they are skipped.
    Force,
};

// One student's photo file and photo column value as the run's journal
// holds them: before the run and as the run left them.
struct JournaledStudent {
    std::optional<QByteArray> oldFileHash; // nothing: the run made the file
    QByteArray newFileHash;
    // Nothing: the student had no row; a null QVariant: the column was NULL.
    std::optional<QVariant> oldPhoto;
    QString newPhoto;
};

// The same student's file and row as they are now.
struct StudentNow {
    enum class File { Missing, Regular, NotRegular };
    File file = File::Missing;
    QByteArray fileHash;           // PhotoHash of a regular file
    std::optional<QVariant> photo; // nothing: the student has no row
};

// What an undo does for one student.
struct UndoStep {
    bool putBackFile = false;  // the old file back, or the file the run made removed
    bool putBackPhoto = false; // the old column value written again
    QString leftAlone;         // not empty: nothing is done, for this reason
};

// Decides per student: whatever is still as the run left it goes back;
// whatever is already as it was before stays; a file or value changed since
// (a later run, a hand edit) leaves the student alone, naming what changed,
// unless `mode` forces it back. A file that is no longer a regular file
// (a link, a folder, a pipe) is never touched, not even when forced.
UndoStep DecideUndo(const JournaledStudent& then, const StudentNow& now, UndoMode mode);

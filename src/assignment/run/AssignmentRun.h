#pragma once

#include "assignment/plan/AssignmentTypes.h"
#include "files/ReplaceFile.h"

#include <QString>

#include <functional>

class JournalStore;
class TADOQuery;
struct AssignmentPlan;

struct RunSettings {
    // Where the run keeps what it replaces, so that it can be undone;
    // nullptr runs without a journal (benchmarks only).
    const JournalStore* journal = nullptr;
    // Called after each student with the number gone through.
    std::function<void(qsizetype studentsDone)> progress;
    // The names new photo files are written under before they take the
    // photo's name (ReplaceFile.h); tests choose them to plant things there.
    NewFileName newFileName = UnguessableNameBeside;
    // Asked, with the reason, when the journal cannot be begun: true runs on
    // without one (the run cannot be undone then); without an answer, or
    // with false, the run fails before it changes anything.
    std::function<bool(const QString& reason)> continueWithoutJournal = {};
    // Tests only: called between looking at a destination and opening it,
    // and between writing a new photo file and renaming it into place, to
    // swap something in at that moment.
    std::function<void(const QString& destination)> beforeOpeningDestination = {};
    std::function<void(const QString& newFile)> beforeRename = {};
};

// Carries out `plan` (AssignmentPlan.h) exactly: takes the site's lock
// (SiteLock.h; a run or undo of the site under way makes it refuse),
// connects to the site's database anew and proves it on the organization
// table, then, student by student in roster order, copies the photo byte for
// byte over the destination (a new file renamed into place, never through a
// link) and writes its web path into the student's row. The bytes copied are
// the ones read and checked against the hash the plan took: a photo changed
// since the plan was shown is not written. Before any change the journal
// takes the student's old photo file and column value. A photo that cannot
// be copied leaves its row alone and the run goes on; any other error ends
// the run where it is, with what was done before it kept. `query` is closed
// when the run ends.
AssignmentOutcome RunAssignment(const AssignmentPlan& plan, TADOQuery& query, const RunSettings& settings);

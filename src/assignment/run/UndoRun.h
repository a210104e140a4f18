#pragma once

#include "assignment/journal/JournaledRun.h"
#include "assignment/plan/AssignmentTypes.h"
#include "assignment/run/UndoDecision.h"

#include <QString>

#include <functional>
#include <optional>

class JournalStore;
class TADOQuery;

struct UndoOutcome {
    enum class Result {
        // Nothing to undo, the site's database is another one now, another
        // run or undo of the site is under way, or the journal is damaged.
        Refused,
        Failed,    // an error ended the undo; what was restored stays restored
        Completed, // every student of the run was looked at
    };
    Result result = Result::Refused;
    QString message;              // short, for a message box
    QString details;              // the full lists
    QList<StudentNote> restored;  // students given back their earlier file or value
    QList<StudentNote> leftAlone; // students changed since the run, with what changed
    QList<StudentNote> damaged;   // forced: students skipped for their damaged records

    bool EverythingUndone() const { return result == Result::Completed && leftAlone.isEmpty() && damaged.isEmpty(); }
};

// The run with this id, or with an empty id the latest run not yet undone.
std::optional<JournaledRun> FindRunToUndo(const JournalStore& store, const SiteIdentity& site, const QString& id = {});

// "2024-01-15 10:30:12 的设置（完整）：20 名学生" and the first codes, for
// a question before an undo.
QString RunSummary(const JournaledRun& run);

// Takes the site's lock (SiteLock.h), reads the journal of `run` again and
// checks every record of it and every old photo file it keeps: anything
// damaged refuses the undo before anything changes, naming what is wrong,
// unless `mode` forces it, which skips only the damaged students. Then gives
// every student of `run` back its photo file (or removes a file the run
// created) and its photo column value, last student first, and marks each
// in the journal, so that an undo cut off can be finished by another.
// A student whose file or row is neither as the run left it nor as it was
// before is left alone and named, unless `mode` forces it. Refused, without
// touching anything, when the site's Web.config now names another database
// than the run used.
// `progress` is told after each student with the number looked at and the
// number to look at.
UndoOutcome UndoRun(const JournalStore& store, const JournaledRun& run, const QString& installationFolder,
                    TADOQuery& query, UndoMode mode,
                    const std::function<void(qsizetype done, qsizetype students)>& progress = {});

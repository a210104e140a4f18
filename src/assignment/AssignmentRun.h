#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class JournalStore;
class TADOQuery;
struct AssignmentPlan;

// What an assignment run works on: the web application's installation
// folder, the photo folder and the two lists that are paired by position.
struct AssignmentInput {
    // Nothing while no installation folder has been chosen. The folder text
    // ends with its separator; file names are appended to it directly.
    std::optional<QString> installationFolder;
    QString photoFolder; // a folder string; empty while no photos are loaded
    QStringList codes;
    QStringList photoNames;
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
    // Students whose statement changed no row: no such student in the table.
    QList<StudentNote> noRowChanged;
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
    bool EverythingSet() const { return result == Result::Completed && notCopied.isEmpty() && noRowChanged.isEmpty(); }
};

namespace AssignmentMessages {
inline const QString kFolderNotChosen = QStringLiteral("请选择要更新的目录！");
inline const QString kNoPhotos = QStringLiteral("没有加载图片!");
inline const QString kCountsDiffer = QStringLiteral("学生数和图片数不一致，请重试！");
inline const QString kDone = QStringLiteral("图片设置完成，请重新启动IIS");
inline const QString kDoneStatus = QStringLiteral("图片设置完成");
inline const QString kFailed = QStringLiteral("图片设置失败，请确认软件目录是否选择正确");
inline const QString kFailedStatus = QStringLiteral("更新失败");
} // namespace AssignmentMessages

// The web path the application shows a student's photo under.
QString PhotoWebPath(const QString& code);

struct RunSettings {
    // Where the run keeps what it replaces, so that it can be undone;
    // nullptr runs without a journal (benchmarks only).
    JournalStore* journal = nullptr;
    // Called after each student with the number gone through.
    std::function<void(qsizetype studentsDone)> progress;
};

// Carries out `plan` (AssignmentPlan.h) exactly: connects to the site's
// database anew and proves it on the organization table, then, student by
// student in roster order, copies the photo byte for byte over the
// destination (a new file renamed into place, never through a link) and
// writes its web path into the student's row. Before any change the journal
// takes the student's old photo file and column value. A photo that cannot
// be copied leaves its row alone and the run goes on; any other error ends
// the run where it is, with what was done before it kept. `query` is closed
// when the run ends.
AssignmentOutcome RunAssignment(const AssignmentPlan& plan, TADOQuery& query, const RunSettings& settings);

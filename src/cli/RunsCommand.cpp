// student-photo-cli runs and undo: the journaled runs of a site, and undoing
// one of them.
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/TextTable.h"

#include "common/files/FolderString.h"
#include "main_window/core/RunMessages.h"
#include "main_window/core/UndoRun.h"
#include "platform/database/OdbcConnectionString.h"
#include "platform/database/TADOQuery.h"

#include <QFileInfo>

#include <optional>

namespace {

const char kRunsUsage[] = "usage: student-photo-cli runs --install-dir DIR\n"
                          "  lists the site's journaled runs: id, time, students, state\n";

const char kUndoUsage[] = "usage: student-photo-cli undo --install-dir DIR [--run ID] [--force]\n"
                          "  undoes the site's last run not undone yet (or the run ID from 'runs'):\n"
                          "  old photo files and photo column values go back\n"
                          "  --force   also students changed since that run\n";

struct Options {
    QString installDir;
    QString runId;
    bool force = false;
};

// The options of runs (no --run, no --force) and undo.
std::optional<QString> Parse(const QStringList& arguments, bool forUndo, Options& options)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        const bool takesValue = option == u"--install-dir" || (forUndo && option == u"--run");
        if (takesValue) {
            if (i + 1 >= arguments.size() || arguments[i + 1].startsWith(QStringLiteral("--")))
                return QStringLiteral("%1 needs a value").arg(option);
            (option == u"--install-dir" ? options.installDir : options.runId) = arguments[++i];
        } else if (forUndo && option == u"--force") {
            options.force = true;
        } else {
            return QStringLiteral("unknown argument %1").arg(option);
        }
    }
    if (options.installDir.isEmpty())
        return QStringLiteral("--install-dir is missing");
    if (!QFileInfo(options.installDir).isDir())
        return QStringLiteral("the installation folder %1 does not exist").arg(options.installDir);
    return std::nullopt;
}

} // namespace

int RunRunsCommand(const QStringList& arguments)
{
    Options options;
    if (const std::optional<QString> problem = Parse(arguments, false, options))
        return UsageError("runs", kRunsUsage, *problem);
    const JournalStore store(JournalStore::DefaultDataFolder());
    const QList<JournalRun> runs = store.Runs(FolderString(options.installDir));
    if (runs.isEmpty()) {
        PrintLine(stdout, QStringLiteral("这个网站没有设置记录。"));
        return kExitSuccess;
    }
    QList<QStringList> rows;
    for (const JournalRun& run : runs) {
        rows << QStringList{run.id, run.StartedText(), QString::number(run.entries.size()), run.StateText(),
                            run.database};
    }
    PrintLine(stdout, TextTable({QStringLiteral("编号"), QStringLiteral("时间"), QStringLiteral("学生"),
                                 QStringLiteral("状态"), QStringLiteral("数据库")},
                                rows));
    return kExitSuccess;
}

int RunUndoCommand(const QStringList& arguments)
{
    Options options;
    if (const std::optional<QString> problem = Parse(arguments, true, options))
        return UsageError("undo", kUndoUsage, *problem);
    const QString folder = FolderString(options.installDir);
    JournalStore store(JournalStore::DefaultDataFolder());
    const std::optional<JournalRun> run = FindRunToUndo(store, folder, options.runId);
    if (!run) {
        PrintLine(stdout, options.runId.isEmpty() ? QStringLiteral("这个网站没有可以撤销的设置。")
                                                  : QStringLiteral("没有编号为 %1 的设置记录。").arg(options.runId));
        return kExitFailed;
    }
    TADOQuery query(DefaultOdbcDriver());
    const UndoOutcome outcome
        = UndoRun(store, *run, folder, query, options.force ? UndoMode::Force : UndoMode::LeaveChangedAlone);
    PrintLine(stdout, outcome.message);
    if (!outcome.details.isEmpty())
        PrintLine(stderr, outcome.details);
    if (outcome.EverythingUndone())
        return kExitSuccess;
    if (outcome.result != UndoOutcome::Result::Completed)
        return kExitFailed;
    PrintLine(stderr, QStringLiteral("用 --force 可以连同这些学生一起恢复。"));
    return kExitIncomplete;
}

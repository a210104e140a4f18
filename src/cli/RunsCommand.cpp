// student-photo-cli runs and undo: the journaled runs of a site, and undoing
// one of them.
#include "assignment/journal/JournalReader.h"
#include "assignment/journal/JournalStore.h"
#include "assignment/plan/RunMessages.h"
#include "assignment/run/UndoRun.h"
#include "assignment/site/SiteIdentity.h"
#include "cli/CommandOptions.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/TextTable.h"
#include "files/FolderString.h"
#include "platform/database/TADOQuery.h"
#include "platform/settings/ProgramSettings.h"

#include <QFileInfo>

#include <optional>
#include <variant>

namespace {

const char kRunsUsage[] = "usage: student-photo-cli runs --install-dir DIR\n"
                          "  lists the site's journaled runs: id, time, students, state\n";

const char kUndoUsage[] = "usage: student-photo-cli undo --install-dir DIR [--run ID] [--force]\n"
                          "  undoes the site's last run not undone yet (or the run ID from 'runs'):\n"
                          "  old photo files and photo column values go back\n"
                          "  --force   also students changed since that run; students whose records\n"
                          "            in the journal are damaged are skipped (without it a damaged\n"
                          "            journal stops the undo before anything changes)\n";

const OptionRule kInstallDir{"--install-dir", OptionValues::One, OptionPresence::Required};

// The options of a command, and the installation folder they name, which
// must exist; or the usage problem.
std::variant<GivenOptions, QString> ParseSiteOptions(const QStringList& arguments, const QList<OptionRule>& rules)
{
    auto parsed = ParseOptions(arguments, rules);
    if (const GivenOptions* options = std::get_if<GivenOptions>(&parsed); options && !options->Has("--help")) {
        if (const QString folder = options->Value("--install-dir"); !QFileInfo(folder).isDir())
            return QStringLiteral("the installation folder %1 does not exist").arg(folder);
    }
    return parsed;
}

} // namespace

int RunRunsCommand(const QStringList& arguments, const ProgramSettings& program)
{
    const auto parsed = ParseSiteOptions(arguments, {kInstallDir});
    if (const QString* problem = std::get_if<QString>(&parsed))
        return UsageError("runs", kRunsUsage, *problem);
    if (std::get<GivenOptions>(parsed).Has("--help"))
        return PrintUsage(kRunsUsage);
    const JournalStore store(program.dataFolder);
    const QString folder = FolderString(std::get<GivenOptions>(parsed).Value("--install-dir"));
    const SiteIdentity site = IdentifySite(folder);
    const QList<JournaledRun> runs = JournalRuns(store, site);
    // Runs removed to make room are named, so that nobody looks for them in vain.
    if (const QStringList pruned = PrunedRuns(store, site); !pruned.isEmpty())
        PrintLine(stdout, QStringLiteral("以下设置记录为了腾出空间已删除，不能再撤销：\n") + pruned.join(u'\n'));
    if (runs.isEmpty()) {
        PrintLine(stdout, QStringLiteral("这个网站没有设置记录。"));
        return kExitSuccess;
    }
    QList<QStringList> rows;
    QStringList damage;
    for (const JournaledRun& run : runs) {
        rows << QStringList{run.id, run.StartedText(), QString::number(run.entries.size()), run.StateText(),
                            run.database};
        if (const QStringList runDamage = run.Damage(); !runDamage.isEmpty())
            damage << run.id + QStringLiteral("：") + runDamage.join(QStringLiteral("；"));
    }
    PrintLine(stdout, TextTable({QStringLiteral("编号"), QStringLiteral("时间"), QStringLiteral("学生"),
                                 QStringLiteral("状态"), QStringLiteral("数据库")},
                                rows));
    if (!damage.isEmpty())
        PrintLine(stdout, QStringLiteral("撤销记录有损坏：\n") + damage.join(u'\n'));
    return kExitSuccess;
}

int RunUndoCommand(const QStringList& arguments, const ProgramSettings& program)
{
    const auto parsed = ParseSiteOptions(arguments, {kInstallDir, {"--run"}, {"--force", OptionValues::None}});
    if (const QString* problem = std::get_if<QString>(&parsed))
        return UsageError("undo", kUndoUsage, *problem);
    const GivenOptions& options = std::get<GivenOptions>(parsed);
    if (options.Has("--help"))
        return PrintUsage(kUndoUsage);
    const QString folder = FolderString(options.Value("--install-dir"));
    const QString runId = options.Value("--run");
    const JournalStore store(program.dataFolder);
    const std::optional<JournaledRun> run = FindRunToUndo(store, IdentifySite(folder), runId);
    if (!run) {
        PrintLine(stdout, runId.isEmpty() ? AssignmentMessages::kNothingToUndo
                                          : QStringLiteral("没有编号为 %1 的设置记录。").arg(runId));
        return kExitFailed;
    }
    TADOQuery query(program.odbcDriver);
    const UndoOutcome outcome =
        UndoRun(store, *run, folder, query, options.Has("--force") ? UndoMode::Force : UndoMode::LeaveChangedAlone);
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

// student-photo-cli assign: the main window's assignment run from a terminal.
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/ProgressBar.h"
#include "cli/TextTable.h"

#include "common/files/FolderString.h"
#include "common/files/RegularFile.h"
#include "main_window/core/AssignmentPlan.h"
#include "main_window/core/AssignmentRun.h"
#include "main_window/core/ProofSheetHtml.h"
#include "main_window/core/RunJournal.h"
#include "main_window/core/RunMessages.h"
#include "main_window/core/StudentRows.h"
#include "main_window/core/PhotoList.h"
#include "main_window/core/Roster.h"
#include "platform/database/OdbcConnectionString.h"
#include "platform/database/TADOQuery.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <optional>
#include <variant>

namespace {

const char kUsage[] = "usage: student-photo-cli assign --install-dir DIR --roster FILE\n"
                      "                              (--photos DIR | --photo-list FILE...)\n"
                      "                              [--dry-run] [--proof-sheet FILE.html]\n"
                      "  --install-dir DIR   the web application's installation folder (holds Web.config\n"
                      "                      and upload/StudentPhoto/)\n"
                      "  --roster FILE       the student codes, one per line\n"
                      "  --photos DIR        the folder's .jpg and .bmp files, in the order a file manager\n"
                      "                      shows them\n"
                      "  --photo-list FILE...  these photo files, all in one folder, in the order given\n"
                      "  --dry-run           print the plan of the run as a table and change nothing\n"
                      "  --proof-sheet FILE  write the plan as an HTML page to print and sign\n"
                      "Exit code: 0 every student set (or a clean plan), 3 some students not set (or a\n"
                      "plan with warnings), 1 refused or failed, 2 wrong arguments.\n"
                      "The database driver is STUDENT_PHOTO_ODBC_DRIVER, or FreeTDS when it is not set.\n"
                      "Runs are journaled under STUDENT_PHOTO_DATA (default: the user's data folder).\n";

struct Arguments {
    QString installDir;
    QString roster;
    std::optional<QString> photoFolder;
    std::optional<QStringList> photoFiles;
    bool dryRun = false;
    std::optional<QString> proofSheet;
};

// Returns the arguments, or the usage problem.
std::variant<Arguments, QString> Parse(const QStringList& arguments)
{
    Arguments parsed;
    bool haveInstallDir = false;
    bool haveRoster = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        const auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= arguments.size() || arguments[i + 1].startsWith(QStringLiteral("--")))
                return std::nullopt;
            return arguments[++i];
        };
        if (option == u"--dry-run") {
            parsed.dryRun = true;
        } else if (option == u"--proof-sheet") {
            const std::optional<QString> given = value();
            if (!given)
                return QStringLiteral("--proof-sheet needs a value");
            parsed.proofSheet = *given;
        } else if (option == u"--install-dir" || option == u"--roster" || option == u"--photos") {
            const std::optional<QString> given = value();
            if (!given)
                return QStringLiteral("%1 needs a value").arg(option);
            if (option == u"--install-dir") {
                parsed.installDir = *given;
                haveInstallDir = true;
            } else if (option == u"--roster") {
                parsed.roster = *given;
                haveRoster = true;
            } else {
                parsed.photoFolder = *given;
            }
        } else if (option == u"--photo-list") {
            QStringList files;
            while (const std::optional<QString> file = value())
                files << *file;
            if (files.isEmpty())
                return QStringLiteral("--photo-list needs at least one file");
            parsed.photoFiles = parsed.photoFiles.value_or(QStringList()) + files;
        } else {
            return QStringLiteral("unknown argument %1").arg(option);
        }
    }
    if (!haveInstallDir)
        return QStringLiteral("--install-dir is missing");
    if (!haveRoster)
        return QStringLiteral("--roster is missing");
    if (parsed.photoFolder.has_value() == parsed.photoFiles.has_value())
        return QStringLiteral("give either --photos or --photo-list");
    return parsed;
}

// The plan as a table, one student a line, and its counts.
QString PlanText(const AssignmentPlan& plan)
{
    QList<QStringList> rows;
    for (const PlanRow& row : plan.rows) {
        const bool readable = row.photo.kind != PhotoFacts::Kind::Unreadable;
        rows << QStringList{QString::number(row.line),
                            ShownCode(row.code),
                            row.photoName,
                            KindName(row.photo.kind),
                            readable ? QStringLiteral("%1×%2").arg(row.photo.width).arg(row.photo.height) : QStringLiteral("-"),
                            row.studentExists ? QStringLiteral("有") : QStringLiteral("无"),
                            row.studentExists ? PhotoValueText(row.currentPhoto) : QStringLiteral("-"),
                            row.destinationExists ? QStringLiteral("已存在") : QStringLiteral("新建"),
                            row.WarningsText()};
    }
    return TextTable({QStringLiteral("行"), QStringLiteral("学籍号"), QStringLiteral("照片"), QStringLiteral("类型"),
                      QStringLiteral("尺寸"), QStringLiteral("学生"), QStringLiteral("现有照片"),
                      QStringLiteral("目标文件"), QStringLiteral("提示")},
                     rows)
        + QStringLiteral("\n\n") + plan.Summary() + QStringLiteral("\n（试运行，没有改动任何文件和记录）");
}

// The message on standard output, the full lists on standard error; the exit code.
int Report(const AssignmentOutcome& outcome, const Arguments& args)
{
    PrintLine(stdout, outcome.message);
    if (!outcome.details.isEmpty())
        PrintLine(stderr, outcome.details);
    if (outcome.result == AssignmentOutcome::Result::Failed && !outcome.runId.isEmpty()) {
        PrintLine(stderr, QStringLiteral("撤销这次设置：student-photo-cli undo --install-dir %1 --run %2")
                              .arg(args.installDir, outcome.runId));
    }
    if (outcome.EverythingSet())
        return kExitSuccess;
    return outcome.result == AssignmentOutcome::Result::Completed ? kExitIncomplete : kExitFailed;
}

} // namespace

int RunAssignCommand(const QStringList& arguments)
{
    const auto parsed = Parse(arguments);
    if (const QString* problem = std::get_if<QString>(&parsed))
        return UsageError("assign", kUsage, *problem);
    const Arguments& args = std::get<Arguments>(parsed);

    PhotoList photos;
    if (args.photoFolder) {
        if (!QFileInfo(*args.photoFolder).isDir())
            return UsageError("assign", kUsage, QStringLiteral("the photo folder %1 does not exist").arg(*args.photoFolder));
        photos = PhotoListOfFolder(*args.photoFolder);
    } else {
        try {
            photos = PhotoListFromChosenFiles(*args.photoFiles, PhotoOrder::AsGiven);
        } catch (const EFileAccessError& error) {
            PrintLine(stderr, QString::fromStdString(error.what()));
            return kExitFailed;
        }
        for (const QString& file : *args.photoFiles) {
            if (FolderString(QFileInfo(file).path()) != photos.folder)
                return UsageError("assign", kUsage, QStringLiteral("the files of --photo-list must lie in one folder"));
        }
    }

    AssignmentInput input;
    input.installationFolder = FolderString(args.installDir);
    input.photoFolder = photos.folder;
    input.photoNames = photos.names;
    try {
        input.codes = ReadRoster(args.roster);
    } catch (const ERosterError& error) {
        PrintLine(stdout, QStringLiteral("读入数据失败，请确定数据格式是否正确！ "));
        PrintLine(stderr, QString::fromStdString(error.what()));
        return kExitFailed;
    }

    TADOQuery query(DefaultOdbcDriver());
    const PlanOutcome planned = MakeAssignmentPlan(input, query);
    if (!planned.plan)
        return Report(planned.stopped, args);
    if (args.proofSheet) {
        try {
            WriteProofSheet(*planned.plan, *args.proofSheet);
        } catch (const EProofSheetError& error) {
            PrintLine(stderr, QString::fromStdString(error.what()));
            return kExitFailed;
        }
    }
    if (args.dryRun) {
        PrintLine(stdout, PlanText(*planned.plan));
        return planned.plan->HasWarnings() ? kExitIncomplete : kExitSuccess;
    }

    JournalStore journal(JournalStore::DefaultDataFolder());
    AssignmentOutcome outcome;
    {
        ProgressBar bar(QStringLiteral("设置学生图片"), input.codes.size());
        outcome = RunAssignment(*planned.plan, query, RunSettings{&journal, [&bar](qsizetype done) { bar.Update(done); }});
    }
    return Report(outcome, args);
}

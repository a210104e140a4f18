// student-photo-cli assign: the main window's assignment run from a terminal.
#include "assignment/checks/FaceReview.h"
#include "assignment/input/PhotoIndex.h"
#include "assignment/input/PhotoList.h"
#include "assignment/input/Roster.h"
#include "assignment/journal/JournalStore.h"
#include "assignment/plan/AssignmentPlan.h"
#include "assignment/plan/RunMessages.h"
#include "assignment/run/AssignmentRun.h"
#include "assignment/run/PlanMaking.h"
#include "assignment/views/ProofSheetHtml.h"
#include "cli/CommandOptions.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/PlanTable.h"
#include "cli/ProgressBar.h"
#include "files/FolderString.h"
#include "files/RegularFile.h"
#include "platform/database/TADOQuery.h"
#include "platform/settings/ProgramSettings.h"

#include <QDir>
#include <QFileInfo>

#include <chrono>
#include <cstdio>
#include <optional>
#include <variant>

namespace {

const char kUsage[] = "usage: student-photo-cli assign --install-dir DIR --roster FILE\n"
                      "                              (--photos DIR | --photo-list FILE... | --pair index FILE)\n"
                      "                              [--pair position|name] [--dry-run]\n"
                      "                              [--proof-sheet FILE.html] [--no-undo] [--shift-checked]\n"
                      "                              [--jobs N]\n"
                      "  --install-dir DIR   the web application's installation folder (holds Web.config\n"
                      "                      and upload/StudentPhoto/)\n"
                      "  --roster FILE       the student codes, one per line\n"
                      "  --photos DIR        the folder's .jpg and .bmp files, in the order a file manager\n"
                      "                      shows them\n"
                      "  --photo-list FILE...  these photo files, all in one folder, in the order given\n"
                      "  --pair position     the n-th code takes the n-th photo (the default)\n"
                      "  --pair name         a photo named after the code (CODE.jpg) belongs to it; the\n"
                      "                      photos may be a whole folder in any order\n"
                      "  --pair index FILE   an index file of rows \"code<TAB>photo file\" (or , ; |) names\n"
                      "                      each code's photo, relative to the index's folder\n"
                      "  --dry-run           print the plan of the run as a table and change nothing\n"
                      "  --proof-sheet FILE  write the plan as an HTML page to print and sign\n"
                      "  --no-undo           run on when the undo record cannot be written (the run\n"
                      "                      then cannot be undone)\n"
                      "  --shift-checked     run although the faces suggest that a block of photos is\n"
                      "                      shifted against the codes (look at the rows it names first)\n"
                      "  --jobs N            look at the photos' faces on N threads (default: one per\n"
                      "                      processor core)\n"
                      "Exit code: 0 every student set (or a clean plan: photos to be replaced are no\n"
                      "warning), 3 some students not set (or a plan with warnings), 1 refused (also\n"
                      "for photos that look shifted, without --shift-checked) or failed, 2 wrong\n"
                      "arguments.\n"
                      "The database driver is STUDENT_PHOTO_ODBC_DRIVER, or FreeTDS when it is not set.\n"
                      "Runs are journaled under STUDENT_PHOTO_DATA (default: the user's data folder).\n";

const QList<OptionRule> kAssignOptions = {
    {"--install-dir", OptionValues::One, OptionPresence::Required},
    {"--roster", OptionValues::One, OptionPresence::Required},
    {"--photos"},
    {"--photo-list", OptionValues::Several},
    {"--dry-run", OptionValues::None},
    {"--proof-sheet"},
    {"--no-undo", OptionValues::None},
    {"--shift-checked", OptionValues::None},
    {"--pair", OptionValues::Several},
    {"--jobs"},
};

// The pairing --pair asks for, or what is wrong with it.
std::variant<PairingMode, QString> PairingOption(const GivenOptions& options)
{
    const QStringList values = options.Values("--pair");
    const QString mode = values.value(0, QStringLiteral("position"));
    if (mode == QLatin1String("index"))
        return values.size() == 2 ? std::variant<PairingMode, QString>(PairingMode::IndexFile)
                                  : QStringLiteral("--pair index needs the index file, and only that");
    if (values.size() > 1)
        return QStringLiteral("--pair %1 takes no file").arg(mode);
    if (mode == QLatin1String("position"))
        return PairingMode::Position;
    if (mode == QLatin1String("name"))
        return PairingMode::FileName;
    return QStringLiteral("--pair is position, name or index FILE, not %1").arg(mode);
}

// The message on standard output, the full lists on standard error; the exit code.
int Report(const AssignmentOutcome& outcome, const GivenOptions& options)
{
    PrintLine(stdout, outcome.message);
    if (!outcome.details.isEmpty())
        PrintLine(stderr, outcome.details);
    if (outcome.result == AssignmentOutcome::Result::Failed && !outcome.runId.isEmpty()) {
        PrintLine(stderr, QStringLiteral("撤销这次设置：student-photo-cli undo --install-dir %1 --run %2")
                              .arg(options.Value("--install-dir"), outcome.runId));
    }
    if (outcome.EverythingSet())
        return kExitSuccess;
    return outcome.result == AssignmentOutcome::Result::Completed ? kExitIncomplete : kExitFailed;
}

// Looks at the plan's faces as the proof sheet does, with a progress bar
// while it takes; the plan as the review gave it back.
ReviewedPlan ReviewFaces(const AssignmentPlan& plan, const FaceExamination& examination)
{
    FaceReview review(examination);
    review.Start(plan);
    std::optional<ProgressBar> bar;
    while (!review.WaitFor(std::chrono::milliseconds(100))) {
        const ReviewProgress progress = review.Progress();
        if (progress.total > 0 && !bar)
            bar.emplace(QStringLiteral("检查照片中的人脸"), progress.total);
        if (bar)
            bar->Update(progress.done);
    }
    if (bar)
        bar->Update(review.Progress().done);
    // Never stopped, so there is a result.
    return *review.Result();
}

// What refuses a run whose faces suggest shifted rows: the rows, in the
// notices' own words.
QString ShiftRefusal(const ReviewedPlan& reviewed)
{
    return QStringLiteral("照片可能与学籍号错位，没有设置任何学生：\n") + reviewed.shiftNotices.join(u'\n');
}

const QString kShiftCheckedHint =
    QStringLiteral("逐一核对这些行的照片（--dry-run 或 --proof-sheet 列出它们）之后，加上 --shift-checked 再运行一次");

} // namespace

int RunAssignCommand(const QStringList& arguments, const ProgramSettings& program)
{
    return RunAssignCommand(arguments, program, [&program](int jobs) {
        return SurveyAndCheckFaces(SurveySetup{.cascadeFile = program.faceModel,
                                               .descriptorModel = {},
                                               .threads = jobs,
                                               .dataFolder = program.dataFolder});
    });
}

int RunAssignCommand(const QStringList& arguments, const ProgramSettings& program,
                     const FaceExaminationOn& examinationOn)
{
    const auto parsed = ParseOptions(arguments, kAssignOptions);
    if (const QString* problem = std::get_if<QString>(&parsed))
        return UsageError("assign", kUsage, *problem);
    const GivenOptions& options = std::get<GivenOptions>(parsed);
    if (options.Has("--help"))
        return PrintUsage(kUsage);
    const auto pairing = PairingOption(options);
    if (const QString* problem = std::get_if<QString>(&pairing))
        return UsageError("assign", kUsage, *problem);
    const bool byIndex = std::get<PairingMode>(pairing) == PairingMode::IndexFile;
    if (byIndex && (options.Has("--photos") || options.Has("--photo-list")))
        return UsageError("assign", kUsage, QStringLiteral("--pair index takes its photos from the index file"));
    if (!byIndex && options.Has("--photos") == options.Has("--photo-list"))
        return UsageError("assign", kUsage, QStringLiteral("give either --photos or --photo-list"));
    const auto jobs = JobsOption(options);
    if (const QString* problem = std::get_if<QString>(&jobs))
        return UsageError("assign", kUsage, *problem);

    PhotoList photos;
    if (byIndex) {
        // The photos are named by the index file.
    } else if (options.Has("--photos")) {
        const QString photoFolder = options.Value("--photos");
        if (!QFileInfo(photoFolder).isDir())
            return UsageError("assign", kUsage, QStringLiteral("the photo folder %1 does not exist").arg(photoFolder));
        photos = PhotoListOfFolder(photoFolder);
    } else {
        const QStringList photoFiles = options.Values("--photo-list");
        try {
            photos = PhotoListFromChosenFiles(photoFiles, PhotoOrder::AsGiven);
        } catch (const EFileAccessError& error) {
            PrintLine(stderr, QString::fromStdString(error.what()));
            return kExitFailed;
        }
        for (const QString& file : photoFiles) {
            if (FolderString(QFileInfo(file).path()) != photos.folder)
                return UsageError("assign", kUsage, QStringLiteral("the files of --photo-list must lie in one folder"));
        }
    }

    AssignmentInput input;
    input.installationFolder = FolderString(options.Value("--install-dir"));
    input.photoFolder = photos.folder;
    input.photoNames = photos.names;
    input.pairing = std::get<PairingMode>(pairing);
    if (byIndex) {
        input.indexFile = options.Values("--pair").at(1);
        try {
            input.indexRows = ReadPhotoIndex(input.indexFile);
        } catch (const EPhotoIndexError& error) {
            PrintLine(stdout, kPhotoIndexFailed + QString::fromStdString(error.what()));
            return kExitFailed;
        }
    }
    try {
        input.codes = ReadRoster(options.Value("--roster"));
    } catch (const ERosterError& error) {
        PrintLine(stdout, kRosterFailedMessage);
        PrintLine(stderr, QString::fromStdString(error.what()));
        return kExitFailed;
    }

    TADOQuery query(program.odbcDriver);
    const PlanOutcome planned = MakeAssignmentPlan(input, query);
    if (!planned.plan)
        return Report(planned.stopped, options);
    // The faces are looked at before the plan is shown or run, as the proof
    // sheet looks at them, and the plan reviewed is the one shown and run.
    const ReviewedPlan reviewed = ReviewFaces(*planned.plan, examinationOn(std::get<int>(jobs)));
    const AssignmentPlan& plan = reviewed.plan;
    const bool shiftsUnchecked = reviewed.MustConfirmShifts() && !options.Has("--shift-checked");
    if (options.Has("--proof-sheet")) {
        try {
            WriteProofSheet(plan, options.Value("--proof-sheet"));
        } catch (const EProofSheetError& error) {
            PrintLine(stderr, QString::fromStdString(error.what()));
            return kExitFailed;
        }
    }
    if (options.Has("--dry-run")) {
        PrintLine(stdout, PlanTable(plan) + QStringLiteral("\n（试运行，没有改动任何文件和记录）"));
        if (shiftsUnchecked)
            PrintLine(stderr, QStringLiteral("照片可能与学籍号错位：") + kShiftCheckedHint);
        return plan.HasWarnings() ? kExitIncomplete : kExitSuccess;
    }
    if (shiftsUnchecked) {
        const int exitCode = Report(Refusal(ShiftRefusal(reviewed)), options);
        PrintLine(stderr, kShiftCheckedHint);
        return exitCode;
    }

    JournalStore journal(program.dataFolder);
    AssignmentOutcome outcome;
    bool journalRefused = false;
    {
        ProgressBar bar(QStringLiteral("设置学生图片"), plan.rows.size());
        RunSettings settings{&journal, [&bar](qsizetype done) { bar.Update(done); }};
        settings.continueWithoutJournal = [&](const QString&) {
            journalRefused = !options.Has("--no-undo");
            return !journalRefused;
        };
        outcome = RunAssignment(plan, query, settings);
    }
    const int exitCode = Report(outcome, options);
    if (journalRefused)
        PrintLine(stderr, QStringLiteral("不保留撤销记录继续设置：加上 --no-undo 再运行一次"));
    return exitCode;
}

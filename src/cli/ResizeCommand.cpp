// student-photo-cli resize: the batch resize of the resize window, from a
// terminal. Every "*.jpg" picture of the source folder, in listing order, is
// scaled to one width and height and written into the target folder as
// 001.jpg, 002.jpg … (BMP data, as the window writes them).
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/ProgressBar.h"
#include "common/files/FolderString.h"
#include "common/files/ListFiles.h"
#include "resize_window/core/BatchResize.h"

#include <QFileInfo>
#include <QHash>

#include <cstdio>
#include <optional>

namespace {

// More threads than this only cost memory.
constexpr int kMaxJobs = 64;

const char kResizeUsage[] =
    "usage: student-photo-cli resize --source DIR --target DIR [--width 120] [--height 180]\n"
    "                                [--fit stretch|crop|face] [--jobs N]\n"
    "  scales every *.jpg picture of the source folder, in listing order, to WIDTH x HEIGHT\n"
    "  and writes them into the target folder as 001.jpg, 002.jpg ... (BMP data)\n"
    "  --fit stretch  the whole picture, stretched (the default)\n"
    "  --fit crop     the largest centred part of the output's proportions\n"
    "  --fit face     the part around the largest face, the face about half the height;\n"
    "                 pictures without a face are cropped, and named\n"
    "  --jobs N       decode and draw on N threads (default: one per processor core)\n";



struct ResizeOptions {
    QString source;
    QString target;
    QString width = QStringLiteral("120");
    QString height = QStringLiteral("180");
    QString fit = QStringLiteral("stretch");
    QString jobs;  // empty: one thread per processor core
};

// Options come as "--name VALUE" pairs; each may be given once.
std::optional<QString> ParseOptions(const QStringList& arguments, ResizeOptions& options)
{
    QHash<QString, QString*> fields{
        {QStringLiteral("--source"), &options.source},
        {QStringLiteral("--target"), &options.target},
        {QStringLiteral("--width"), &options.width},
        {QStringLiteral("--height"), &options.height},
        {QStringLiteral("--fit"), &options.fit},
        {QStringLiteral("--jobs"), &options.jobs},
    };
    QStringList seen;
    for (qsizetype i = 0; i < arguments.size(); i += 2) {
        const QString& name = arguments[i];
        QString* field = fields.value(name);
        if (field == nullptr)
            return QStringLiteral("unknown argument %1").arg(name);
        if (seen.contains(name))
            return QStringLiteral("%1 given twice").arg(name);
        if (i + 1 >= arguments.size())
            return QStringLiteral("%1 needs a value").arg(name);
        seen << name;
        *field = arguments[i + 1];
    }
    if (options.source.isEmpty())
        return QStringLiteral("--source is required");
    if (options.target.isEmpty())
        return QStringLiteral("--target is required");
    return std::nullopt;
}

} // namespace

int RunResizeCommand(const QStringList& arguments)
{
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        std::fputs(kResizeUsage, stdout);
        return kExitSuccess;
    }
    ResizeOptions options;
    if (const std::optional<QString> problem = ParseOptions(arguments, options))
        return UsageError("resize", kResizeUsage, *problem);
    const std::optional<std::int32_t> width = ParseSideLength(options.width);
    if (!width)
        return UsageError("resize", kResizeUsage, QStringLiteral("--width %1 is not a whole number").arg(options.width));
    const std::optional<std::int32_t> height = ParseSideLength(options.height);
    if (!height)
        return UsageError("resize", kResizeUsage, QStringLiteral("--height %1 is not a whole number").arg(options.height));
    const std::optional<FitMode> fit = FitModeFromOption(options.fit);
    if (!fit)
        return UsageError("resize", kResizeUsage, QStringLiteral("--fit %1 is not stretch, crop or face").arg(options.fit));
    bool jobsIsNumber = options.jobs.isEmpty();
    const int jobs = options.jobs.isEmpty() ? 0 : options.jobs.toInt(&jobsIsNumber);
    if (!jobsIsNumber || (!options.jobs.isEmpty() && (jobs < 1 || jobs > kMaxJobs)))
        return UsageError("resize", kResizeUsage,
                          QStringLiteral("--jobs %1 is not a number of threads from 1 to %2").arg(options.jobs).arg(kMaxJobs));
    for (const QString& folder : {options.source, options.target}) {
        if (!QFileInfo(folder).isDir())
            return UsageError("resize", kResizeUsage, QStringLiteral("%1 is not a folder").arg(folder));
    }

    BatchResizeJob job;
    job.sourceFolder = FolderString(options.source);
    job.targetFolder = FolderString(options.target);
    job.width = *width;
    job.height = *height;
    job.fit = *fit;
    job.workers = jobs;
    ListFiles(job.sourceFolder, kJpegMask, job.names);

    BatchResizeReport report;
    try {
        ProgressBar bar(QStringLiteral("图片大小调整"), job.names.size());
        report = RunBatchResize(job, [&bar](int sequenceNumber, int) {
            bar.Update(sequenceNumber);
        });
    } catch (const EResizeFailed& failure) {
        PrintLine(stderr, kResizeFailedMessage);
        PrintLine(stderr, failure.Cause());
        return kExitFailed;
    } catch (const EResizeFoldersNotChosen&) {
        PrintLine(stderr, kResizeNoFolderMessage);
        return kExitUsage;
    }
    PrintLine(stdout, ResizeSucceededText(report));
    return kExitSuccess;
}

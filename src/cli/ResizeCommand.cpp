// student-photo-cli resize: the batch resize of the resize window, from a
// terminal. Every "*.jpg" picture of the source folder, in listing order, is
// scaled to one width and height and written into the target folder as
// 001.jpg, 002.jpg … (JPEG, or BMP data with --format bmp, as the window
// writes them).
#include "cli/CommandOptions.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/ProgressBar.h"
#include "files/FolderString.h"
#include "files/ListFiles.h"
#include "platform/settings/ProgramSettings.h"
#include "resize/BatchResize.h"

#include <QFileInfo>

#include <cstdio>
#include <optional>
#include <variant>

namespace {

// More threads than this only cost memory.

const char kResizeUsage[] =
    "usage: student-photo-cli resize --source DIR --target DIR [--width 120] [--height 180]\n"
    "                                [--fit stretch|crop|face] [--sampling exact|smooth] [--jobs N]\n"
    "                                [--format jpeg|bmp] [--overwrite]\n"
    "  scales every *.jpg picture of the source folder, in listing order, to WIDTH x HEIGHT\n"
    "  and writes them into the target folder as 001.jpg, 002.jpg ...\n"
    "  --fit stretch  the whole picture, stretched (the default)\n"
    "  --fit crop     the largest centred part of the output's proportions\n"
    "  --fit face     the part around the largest face, the face about half the height;\n"
    "                 pictures without a face are cropped, and named\n"
    "  --sampling exact   each output pixel is one pixel of the picture (the default for stretch)\n"
    "  --sampling smooth  each output pixel is the mean of the picture's pixels under it,\n"
    "                     from the photo decoded at a reduced scale (the default for crop and face)\n"
    "  --format jpeg  JPEG at quality 90 (the default)\n"
    "  --format bmp   BMP data under the .jpg names, for a site that relies on it\n"
    "  --jobs N       decode and draw on N threads (default: one per processor core)\n"
    "  --overwrite    replace pictures of the same names already in the target folder\n"
    "  WIDTH and HEIGHT are whole numbers from 1 to 10000; the target folder may be\n"
    "  neither the source folder nor inside it.\n";

const QList<OptionRule> kResizeOptions = {
    {"--source", OptionValues::One, OptionPresence::Required},
    {"--target", OptionValues::One, OptionPresence::Required},
    {"--width"},
    {"--height"},
    {"--fit"},
    {"--sampling"},
    {"--format"},
    {"--jobs"},
    {"--overwrite", OptionValues::None},
};

} // namespace

int RunResizeCommand(const QStringList& arguments, const ProgramSettings& program)
{
    const auto parsed = ParseOptions(arguments, kResizeOptions);
    if (const QString* problem = std::get_if<QString>(&parsed))
        return UsageError("resize", kResizeUsage, *problem);
    const GivenOptions& options = std::get<GivenOptions>(parsed);
    if (options.Has("--help"))
        return PrintUsage(kResizeUsage);
    const QString source = options.Value("--source");
    const QString target = options.Value("--target");
    const QString widthText = options.Value("--width", QStringLiteral("120"));
    const QString heightText = options.Value("--height", QStringLiteral("180"));
    const QString fitText = options.Value("--fit", QStringLiteral("stretch"));

    const std::optional<std::int32_t> width = ParseSideLength(widthText);
    if (!width)
        return UsageError(
            "resize", kResizeUsage,
            QStringLiteral("--width %1 is not a whole number from 1 to %2").arg(widthText).arg(kMaxSideLength));
    const std::optional<std::int32_t> height = ParseSideLength(heightText);
    if (!height)
        return UsageError(
            "resize", kResizeUsage,
            QStringLiteral("--height %1 is not a whole number from 1 to %2").arg(heightText).arg(kMaxSideLength));
    const std::optional<FitMode> fit = FitModeFromOption(fitText);
    if (!fit)
        return UsageError("resize", kResizeUsage, QStringLiteral("--fit %1 is not stretch, crop or face").arg(fitText));
    std::optional<Sampling> sampling; // the fit mode's own
    if (options.Has("--sampling")) {
        const QString samplingText = options.Value("--sampling");
        sampling = SamplingFromOption(samplingText);
        if (!sampling)
            return UsageError("resize", kResizeUsage,
                              QStringLiteral("--sampling %1 is not exact or smooth").arg(samplingText));
    }
    const QString formatText = options.Value("--format", QStringLiteral("jpeg"));
    const std::optional<ResizeOutputFormat> format = OutputFormatFromOption(formatText);
    if (!format)
        return UsageError("resize", kResizeUsage, QStringLiteral("--format %1 is not jpeg or bmp").arg(formatText));
    const auto jobs = JobsOption(options);
    if (const QString* problem = std::get_if<QString>(&jobs))
        return UsageError("resize", kResizeUsage, *problem);
    for (const QString& folder : {source, target}) {
        if (!QFileInfo(folder).isDir())
            return UsageError("resize", kResizeUsage, QStringLiteral("%1 is not a folder").arg(folder));
    }

    BatchResizeJob job;
    job.sourceFolder = FolderString(source);
    job.targetFolder = FolderString(target);
    job.width = *width;
    job.height = *height;
    job.fit = *fit;
    job.sampling = sampling;
    job.format = *format;
    job.workers = std::get<int>(jobs);
    job.overwrite = options.Has("--overwrite");
    job.faceModel = program.faceModel;
    ListFiles(job.sourceFolder, kJpegMask, job.names);

    BatchResizeReport report;
    try {
        ProgressBar bar(QStringLiteral("图片大小调整"), job.names.size());
        report = RunBatchResize(job, [&bar](int sequenceNumber, int) { bar.Update(sequenceNumber); });
    } catch (const EResizeFailed& failure) {
        PrintLine(stderr, kResizeFailedMessage);
        PrintLine(stderr, failure.Cause());
        return kExitFailed;
    } catch (const EResizeFoldersNotChosen&) {
        PrintLine(stderr, kResizeNoFolderMessage);
        return kExitUsage;
    } catch (const EResizeWouldOverwrite& refusal) {
        PrintLine(stderr, QStringLiteral("%1（%2）；要覆盖它们，加上 --overwrite 再运行一次")
                              .arg(QString::fromStdString(refusal.what()),
                                   refusal.Existing().mid(0, 10).join(u' ')
                                       + (refusal.Existing().size() > 10 ? QStringLiteral(" …") : QString())));
        return kExitFailed;
    }
    PrintLine(stdout, ResizeSucceededText(report));
    return kExitSuccess;
}

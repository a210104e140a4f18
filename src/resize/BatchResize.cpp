#include "resize/BatchResize.h"

#include "faces/FaceDetector.h"
#include "files/FileSystemPath.h"
#include "files/FolderHandle.h"
#include "files/ReplaceFile.h"
#include "files/SystemErrorText.h"
#include "picture/FileBytes.h"
#include "picture/JpegWriter.h"
#include "picture/PictureByContent.h"
#include "picture/PictureErrors.h"
#include "picture/TBitmap.h"
#include "picture/TCanvas.h"
#include "picture/TFileFormatsList.h"
#include "picture/TJPEGImage.h"
#include "resize/OrderedPool.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

EResizeFoldersNotChosen::EResizeFoldersNotChosen() : std::runtime_error(kResizeNoFolderMessage.toStdString()) { }

EResizeWouldOverwrite::EResizeWouldOverwrite(QStringList existing)
    : std::runtime_error(QStringLiteral("目标文件夹中已有 %1 张同名图片，会被覆盖").arg(existing.size()).toStdString()),
      existing_(std::move(existing))
{
}

QString ResizeFailureText(const QString& cause)
{
    return kResizeFailedMessage + QStringLiteral("\n\n出错原因：") + cause;
}

EResizeFailed::EResizeFailed(QString cause, int sequenceNumber)
    : std::runtime_error(kResizeFailedMessage.toStdString()), cause_(std::move(cause)), sequenceNumber_(sequenceNumber)
{
}

QString ResizeOutputName(int sequenceNumber)
{
    return QStringLiteral("%1.jpg").arg(sequenceNumber, 3, 10, QLatin1Char('0'));
}

std::optional<FitMode> FitModeFromOption(const QString& option)
{
    for (const FitModeChoice& choice : kFitModes) {
        if (option == QLatin1String(choice.option))
            return choice.mode;
    }
    return std::nullopt;
}

std::optional<Sampling> SamplingFromOption(const QString& option)
{
    for (const SamplingChoice& choice : kSamplings) {
        if (option == QLatin1String(choice.option))
            return choice.sampling;
    }
    return std::nullopt;
}

std::optional<ResizeOutputFormat> OutputFormatFromOption(const QString& option)
{
    for (const OutputFormatChoice& choice : kOutputFormats) {
        if (option == QLatin1String(choice.option))
            return choice.format;
    }
    return std::nullopt;
}

QString ByteSizeText(std::uint64_t bytes)
{
    constexpr double kKilobyte = 1024;
    constexpr double kMegabyte = 1024 * kKilobyte;
    const auto size = static_cast<double>(bytes);
    if (size >= kMegabyte)
        return QStringLiteral("%1 MB").arg(size / kMegabyte, 0, 'f', 1);
    if (size >= 10 * kKilobyte)
        return QStringLiteral("%1 KB").arg(size / kKilobyte, 0, 'f', 0);
    return QStringLiteral("%1 KB").arg(size / kKilobyte, 0, 'f', 1);
}

QString ResizeSucceededText(const BatchResizeReport& report)
{
    QString text = kResizeSucceededMessage + QLatin1Char('\n')
                   + QStringLiteral("共 %1 张，%2").arg(report.written).arg(ByteSizeText(report.bytesWritten));
    if (!report.faceModelProblem.isEmpty())
        return text + QLatin1Char('\n') + QStringLiteral("%1，全部图片已按裁剪处理").arg(report.faceModelProblem);
    if (report.withoutFace.isEmpty())
        return text;
    return text + QLatin1Char('\n')
           + QStringLiteral("其中 %1 张图片未找到人脸，已按裁剪处理：%2")
                 .arg(report.withoutFace.size())
                 .arg(report.withoutFace.join(QStringLiteral("、")));
}

QStringList ResizeOutputNames(int count)
{
    QStringList names;
    for (int n = 1; n <= count; ++n)
        names << ResizeOutputName(n);
    return names;
}

std::optional<std::int32_t> ParseSideLength(const QString& text)
{
    bool isNumber = false;
    const qlonglong value = text.trimmed().toLongLong(&isNumber, 10);
    if (!isNumber || value < 1 || value > kMaxSideLength)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

QString SideLengthProblem(const QString& side, const QString& text)
{
    return QStringLiteral("图片%1“%2”不是 1 到 %3 之间的整数").arg(side, text).arg(kMaxSideLength);
}

QStringList OutputsThatExist(const BatchResizeJob& job)
{
    QStringList existing;
    for (int n = 1; n <= job.names.size(); ++n) {
        const QFileInfo output(job.targetFolder + ResizeOutputName(n));
        if (output.exists() || output.isSymLink())
            existing << output.fileName();
    }
    return existing;
}

namespace {

// A worker may run this many pictures ahead of the writing: enough to keep it
// busy while the writer catches up, few enough to keep memory flat.
constexpr std::size_t kPicturesInFlightPerWorker = 2;

// A side of zero would give a surface without pixels and 0-byte outputs, a
// negative one no surface at all; a huge one would be refused by the
// component only after the run had begun. All are refused before any file is
// written.
void CheckSurfaceSize(std::int32_t width, std::int32_t height, DisplayColorDepth depth)
{
    if (width < 1 || height < 1 || width > kMaxSideLength || height > kMaxSideLength)
        throw EResizeFailed(QStringLiteral("图片宽度和高度必须是 1 到 %1 之间的整数（现为 %2 × %3）")
                                .arg(kMaxSideLength)
                                .arg(width)
                                .arg(height),
                            0);
    try {
        TBitmap::CheckSize(width, height, depth);
    } catch (const EOutOfResources& error) {
        throw EResizeFailed(QStringLiteral("图片尺寸 %1 × %2 过大：%3").arg(width).arg(height).arg(error.what()), 0);
    }
}

// Outputs written into the source folder would replace the originals (and
// turn them into BMP data under their own names); written below it, they
// would join the source's pictures at the next listing. Folders are compared
// as the file system resolves them, links included.
void CheckTargetOutsideSource(const BatchResizeJob& job)
{
    const QString source = QFileInfo(job.sourceFolder).canonicalFilePath();
    const QString target = QFileInfo(job.targetFolder).canonicalFilePath();
    if (source.isEmpty() || target.isEmpty())
        return;
    if (target == source)
        throw EResizeFailed(QStringLiteral("目标图片路径就是源图片路径，调整后的图片会覆盖原图，请另选一个目标文件夹"),
                            0);
    if (target.startsWith(source.endsWith(u'/') ? source : source + u'/'))
        throw EResizeFailed(QStringLiteral("目标图片路径在源图片路径之内，请另选一个目标文件夹"), 0);
}

void CheckNothingIsOverwritten(const BatchResizeJob& job)
{
    if (job.overwrite)
        return;
    if (QStringList existing = OutputsThatExist(job); !existing.isEmpty())
        throw EResizeWouldOverwrite(std::move(existing));
}

// A picture's failure, in the user's words: what went wrong, then the
// component's own message. `bytes` are the file's, once it was read;
// `size` the picture's, once its header was.
QString PictureFailure(const std::exception& error, const std::vector<std::uint8_t>* bytes,
                       const std::optional<PictureSize>& size)
{
    QString detail = QString::fromUtf8(error.what());
    if (dynamic_cast<const EFOpenError*>(&error))
        return QStringLiteral("无法打开文件（%1）").arg(detail);
    if (dynamic_cast<const EOutOfResources*>(&error)) {
        if (!size)
            return QStringLiteral("图片太大，无法处理（%1）").arg(detail);
        // Only a whole decoding meets the limit: exact sampling that only
        // reduces, and smooth sampling at a reduced scale, take far less.
        return QStringLiteral("图片太大（%1 × %2 像素）：这种调整方式要把整张图片解码，最多 %3 万像素（%4）")
            .arg(size->Width)
            .arg(size->Height)
            .arg(kMaxWholeDecodingPixels / 10000)
            .arg(detail);
    }
    if (dynamic_cast<const EJPEG*>(&error) || dynamic_cast<const EInvalidGraphic*>(&error)
        || dynamic_cast<const EReadError*>(&error)) {
        if (bytes && bytes->empty())
            return QStringLiteral("文件是空的（0 字节）（%1）").arg(detail);
        // What this tool wrote before its outputs were JPEG, and still writes
        // when asked: BMP data under a ".jpg" name.
        if (bytes && SniffPictureKind(*bytes) == PictureKind::Bmp)
            return QStringLiteral(
                       "文件里是 BMP 数据，不是 JPEG 图片（可能是本工具以 BMP 格式调整或保存过的图片）（%1）")
                .arg(detail);
        return QStringLiteral("不是完好的 JPEG 图片（%1）").arg(detail);
    }
    return detail;
}

// A picture without pixels would leave the surface white and still count as
// resized. A JPEG image loads from an empty file and says what is wrong only
// when decoded: that decoding raises its error; any other such picture is
// refused as not valid.
void CheckHasPixels(const TGraphic& picture)
{
    if (picture.Width() > 0 && picture.Height() > 0)
        return;
    if (const TBitmap* pixels = picture.AsBitmap(); pixels != nullptr && !pixels->Empty())
        return;
    throw EInvalidGraphic(kNoPixelsToWriteMessage);
}

// What one worker keeps from picture to picture: the buffer files are read
// into, its drawing surface and its face detector. A picture itself is
// dropped as soon as it is drawn.
struct ResizeWorker {
    explicit ResizeWorker(DisplayColorDepth depth) : surface(depth) { }

    std::shared_ptr<std::vector<std::uint8_t>> fileBytes = std::make_shared<std::vector<std::uint8_t>>();
    TBitmap surface;
    std::unique_ptr<FaceDetector> faces;
};

// One picture's outcome, handed from its worker to the writing thread.
struct ResizedPicture {
    std::vector<std::uint8_t> bytes; // the output file
    FaceOutcome face = FaceOutcome::NotLooked;
    std::optional<QString> failure; // the cause, naming the file
};

ResizedPicture ResizeOne(ResizeWorker& worker, const BatchResizeJob& job, std::size_t index)
{
    ResizedPicture result;
    const QString source = job.sourceFolder + job.names[static_cast<qsizetype>(index)];
    bool read = false;               // this picture's bytes are in the worker's buffer
    std::optional<PictureSize> size; // once its header was read
    try {
        const std::filesystem::path path = FileSystemPath(source);
        std::unique_ptr<TGraphic> picture = NewGraphicFor(path, job.displayDepth);
        // The buffer is read into in place unless a picture still holds it.
        if (worker.fileBytes.use_count() > 1)
            worker.fileBytes = std::make_shared<std::vector<std::uint8_t>>();
        ReadFileBytes(path, *worker.fileBytes);
        read = true;
        picture->LoadFromBytes(worker.fileBytes);
        size = PictureSize{picture->Width(), picture->Height()};
        CheckHasPixels(*picture);
        result.face = DrawFitted(worker.surface.Canvas(), TRect{0, 0, job.width, job.height}, *picture, job.fit,
                                 worker.faces.get(), job.sampling.value_or(DefaultSampling(job.fit)));
        // Encoded here, on the worker's thread, so that the writing thread
        // only writes.
        if (job.format == ResizeOutputFormat::Jpeg)
            result.bytes = EncodeJpeg(worker.surface);
        else
            worker.surface.SaveToStream(result.bytes);
    } catch (const std::exception& error) {
        result.failure = QStringLiteral("第 %1 张图片 %2：%3")
                             .arg(index + 1)
                             .arg(job.names[static_cast<qsizetype>(index)],
                                  PictureFailure(error, read ? worker.fileBytes.get() : nullptr, size));
    }
    return result;
}

int WorkerCount(const BatchResizeJob& job)
{
    const int wanted = job.workers > 0 ? job.workers : static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(wanted, 1, std::max(1, static_cast<int>(job.names.size())));
}

// The workers, each with a new white surface of exactly width by height
// pixels at the display colour depth (every picture covers all of it) and,
// in face mode, a detector of its own. A face detector that cannot be loaded
// turns the run into a crop mode run: `job` says so afterwards, and
// `faceModelProblem` why.
std::vector<std::unique_ptr<ResizeWorker>> MakeWorkers(BatchResizeJob& job, QString& faceModelProblem)
{
    std::vector<std::unique_ptr<ResizeWorker>> workers;
    for (int i = WorkerCount(job); i > 0; --i) {
        auto worker = std::make_unique<ResizeWorker>(job.displayDepth);
        worker->surface.SetWidth(job.width);
        worker->surface.SetHeight(job.height);
        if (job.fit == FitMode::Face) {
            try {
                worker->faces = std::make_unique<FaceDetector>(
                    job.faceModel.empty() ? FaceDetector::DefaultCascadeFile() : job.faceModel);
            } catch (const EFaceDetectorUnavailable& error) {
                faceModelProblem = QString::fromStdString(error.what());
                job.fit = FitMode::Crop;
                for (const auto& made : workers)
                    made->faces.reset();
            }
        }
        workers.push_back(std::move(worker));
    }
    return workers;
}

} // namespace

void CheckResizeJob(const BatchResizeJob& job)
{
    if (job.sourceFolder.isEmpty() || job.targetFolder.isEmpty())
        throw EResizeFoldersNotChosen();
    CheckSurfaceSize(job.width, job.height, job.displayDepth);
    CheckTargetOutsideSource(job);
}

BatchResizeReport RunBatchResize(const BatchResizeJob& requested, const ResizeProgress& progress, std::stop_token stop)
{
    CheckResizeJob(requested);
    CheckNothingIsOverwritten(requested);
    BatchResizeJob job = requested; // face mode without its model runs as crop mode
    BatchResizeReport report;
    std::vector<std::unique_ptr<ResizeWorker>> workers;
    try {
        workers = MakeWorkers(job, report.faceModelProblem);
    } catch (const std::exception& error) {
        throw EResizeFailed(QString::fromUtf8(error.what()), 0);
    }
    // Opened once: every output is written through this handle, whatever
    // the folder's path comes to name meanwhile.
    std::error_code folderError;
    const FolderHandle target = FolderHandle::Open(FileSystemPath(job.targetFolder), folderError);
    if (folderError)
        throw EResizeFailed(QStringLiteral("无法打开目标文件夹 %1（%2）")
                                .arg(QDir::toNativeSeparators(job.targetFolder), SystemErrorText(folderError)),
                            0);

    const int total = static_cast<int>(job.names.size());
    if (progress)
        progress(0, total);
    std::optional<EResizeFailed> failure;
    // The outputs are written here, in list order; the first failure in that
    // order ends the run.
    auto write = [&](std::size_t index, ResizedPicture&& picture) {
        const int sequenceNumber = static_cast<int>(index) + 1;
        if (picture.failure) {
            failure.emplace(*picture.failure, sequenceNumber);
            return false;
        }
        const QString output = ResizeOutputName(sequenceNumber);
        if (progress)
            progress(sequenceNumber, total);
        try {
            // The bytes are only read while they are put in place.
            ReplaceFile(target, output,
                        QByteArray::fromRawData(reinterpret_cast<const char*>(picture.bytes.data()),
                                                static_cast<qsizetype>(picture.bytes.size())));
        } catch (const EReplaceFileError& error) {
            failure.emplace(QString::fromUtf8(error.what()), sequenceNumber);
            return false;
        }
        if (picture.face == FaceOutcome::NotFound)
            report.withoutFace << job.names.at(static_cast<qsizetype>(index));
        report.written = sequenceNumber;
        report.bytesWritten += picture.bytes.size();
        return true;
    };
    OrderedPool<std::unique_ptr<ResizeWorker>, ResizedPicture> pool;
    const auto counts = pool.Run(
        workers, job.names.size(), kPicturesInFlightPerWorker * workers.size(),
        [&job](std::unique_ptr<ResizeWorker>& worker, std::size_t index) { return ResizeOne(*worker, job, index); },
        write, std::move(stop));
    if (failure)
        throw EResizeFailed(*failure);
    report.stopped = counts.stopped;
    report.peakInFlight = static_cast<int>(counts.peakInFlight);
    return report;
}

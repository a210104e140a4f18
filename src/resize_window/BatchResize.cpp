#include "resize_window/BatchResize.h"

#include "common/picture/DisplayColorDepth.h"
#include "common/picture/PictureErrors.h"
#include "common/picture/PixelGrid.h"
#include "common/picture/TBitmap.h"
#include "common/picture/TCanvas.h"
#include "common/picture/TPicture.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <filesystem>
#include <limits>

EResizeFoldersNotChosen::EResizeFoldersNotChosen()
    : std::runtime_error(kResizeNoFolderMessage.toStdString())
{
}

EResizeFailed::EResizeFailed(QString cause, int sequenceNumber)
    : std::runtime_error(kResizeFailedMessage.toStdString())
    , cause_(std::move(cause))
    , sequenceNumber_(sequenceNumber)
{
}

QString ResizeOutputName(int sequenceNumber)
{
    return QStringLiteral("%1.jpg").arg(sequenceNumber, 3, 10, QLatin1Char('0'));
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
    if (!isNumber || value < std::numeric_limits<std::int32_t>::min()
        || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

namespace {

std::filesystem::path ToPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// A side of zero would give a surface without pixels and 0-byte outputs, a
// negative one no surface at all; a huge one would be refused by the
// component only after the run had begun. All are refused before any file is
// written.
void CheckSurfaceSize(std::int32_t width, std::int32_t height)
{
    if (width <= 0 || height <= 0)
        throw EResizeFailed(QStringLiteral("图片宽度和高度必须大于 0（现为 %1 × %2）").arg(width).arg(height), 0);
    try {
        PixelGrid::CheckSize(width, height, DisplayColorDepth());
    } catch (const EOutOfResources& error) {
        throw EResizeFailed(QStringLiteral("图片尺寸 %1 × %2 过大：%3").arg(width).arg(height).arg(error.what()), 0);
    }
}

// With the target folder equal to the source folder, an output may carry the
// name of a listed picture. Replacing a picture the run has already read is
// what the user asked for; replacing one it has not read yet would destroy
// that photo and feed the run its own output instead. Such a run is refused
// before it starts.
void CheckNoUnreadSourceIsReplaced(const BatchResizeJob& job)
{
    QHash<QString, int> listedAt; // canonical path -> sequence number
    for (qsizetype i = 0; i < job.names.size(); ++i) {
        const QString canonical = QFileInfo(job.sourceFolder + job.names[i]).canonicalFilePath();
        if (!canonical.isEmpty())
            listedAt.insert(canonical, static_cast<int>(i + 1));
    }
    if (listedAt.isEmpty())
        return;
    for (int n = 1; n <= job.names.size(); ++n) {
        const QString output = job.targetFolder + ResizeOutputName(n);
        const auto listed = listedAt.constFind(QFileInfo(output).canonicalFilePath());
        if (listed != listedAt.constEnd() && *listed > n)
            throw EResizeFailed(QStringLiteral("第 %1 张图片的输出 %2 会覆盖尚未读取的源图片 %3")
                                    .arg(n)
                                    .arg(output, job.names[*listed - 1]),
                                0);
    }
}

// A new white surface of exactly width by height pixels at the display
// colour depth; later pictures of the run are drawn into the same one.
TCanvas& PrepareSurface(TPicture& drawingSurface, std::int32_t width, std::int32_t height)
{
    drawingSurface.SetGraphic(nullptr);
    TBitmap& surface = drawingSurface.Bitmap();
    surface.SetWidth(width);
    surface.SetHeight(height);
    return surface.Canvas();
}

} // namespace

void RunBatchResize(const BatchResizeJob& job, TPicture& loadSurface, TPicture& drawingSurface,
                    const ResizeProgress& progress)
{
    if (job.sourceFolder.isEmpty() || job.targetFolder.isEmpty())
        throw EResizeFoldersNotChosen();
    CheckSurfaceSize(job.width, job.height);
    CheckNoUnreadSourceIsReplaced(job);

    const int total = static_cast<int>(job.names.size());
    const TRect wholeSurface{0, 0, job.width, job.height};
    int sequenceNumber = 0;
    QString currentFile;
    try {
        TCanvas& canvas = PrepareSurface(drawingSurface, job.width, job.height);
        if (progress)
            progress(0, total);
        for (const QString& name : job.names) {
            ++sequenceNumber;
            currentFile = job.sourceFolder + name;
            loadSurface.LoadFromFile(ToPath(currentFile));
            canvas.StretchDraw(wholeSurface, loadSurface.Graphic());
            currentFile = job.targetFolder + ResizeOutputName(sequenceNumber);
            if (progress)
                progress(sequenceNumber, total);
            drawingSurface.SaveToFile(ToPath(currentFile));
        }
    } catch (const std::exception& error) {
        const QString what = QString::fromUtf8(error.what());
        throw EResizeFailed(currentFile.isEmpty() ? what : QStringLiteral("%1: %2").arg(currentFile, what),
                            sequenceNumber);
    }
}

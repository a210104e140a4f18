#include "export/RegisterExport.h"

#include "export/ClassZip.h"
#include "export/RegisterPhoto.h"
#include "faces/FaceDetector.h"
#include "files/FileSystemPath.h"
#include "files/FolderHandle.h"
#include "files/PlainFileName.h"
#include "files/ReplaceFile.h"
#include "files/SystemErrorText.h"
#include "picture/FileBytes.h"
#include "picture/PictureByContent.h"
#include "picture/TGraphic.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <span>
#include <thread>
#include <utility>
#include <variant>
#include <vector>

namespace {

// The export folder, made when missing and opened once; refused when it
// holds anything, so that no earlier export is ever written over.
FolderHandle OpenEmptyOutFolder(const QString& outFolder)
{
    const QFileInfo out(outFolder);
    if (out.exists() && !out.isDir())
        throw EExportFailed(QStringLiteral("导出位置 %1 是一个文件，不是文件夹。").arg(outFolder));
    if (out.isDir() && !QDir(outFolder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        throw EExportFailed(
            QStringLiteral("导出文件夹 %1 里已经有文件。导出不会覆盖已有的文件，请选一个空文件夹。").arg(outFolder));
    if (!QDir().mkpath(outFolder))
        throw EExportFailed(QStringLiteral("不能建立导出文件夹 %1。").arg(outFolder));
    std::error_code error;
    FolderHandle folder = FolderHandle::Open(FileSystemPath(outFolder), error);
    if (error)
        throw EExportFailed(QStringLiteral("不能打开导出文件夹 %1：%2").arg(outFolder, SystemErrorText(error)));
    return folder;
}

// The folders of the export folder, opened (and made) once each.
class OutFolders {
public:
    explicit OutFolders(FolderHandle root) : root_(std::move(root)) { }

    const FolderHandle& At(const QStringList& folders)
    {
        const QString key = folders.join(u'/');
        if (auto found = opened_.find(key); found != opened_.end())
            return *found->second;
        const FolderHandle* parent = &root_;
        if (folders.size() > 1)
            parent = &At(folders.mid(0, folders.size() - 1));
        std::error_code error;
        auto folder = std::make_unique<FolderHandle>(parent->OpenFolder(NativeName(folders.back()), true, error));
        if (error)
            throw EExportFailed(QStringLiteral("不能建立文件夹 %1：%2").arg(key, SystemErrorText(error)));
        return *opened_.emplace(key, std::move(folder)).first->second;
    }

    void Write(const QStringList& folders, const QString& name, std::span<const std::uint8_t> bytes)
    {
        const FolderHandle& folder = folders.isEmpty() ? root_ : At(folders);
        try {
            // The bytes are only read while they are put in place.
            ReplaceFile(folder, name,
                        QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<qsizetype>(bytes.size())));
        } catch (const EReplaceFileError& error) {
            throw EExportFailed(QString::fromUtf8(error.what()));
        }
    }

private:
    FolderHandle root_;
    std::map<QString, std::unique_ptr<FolderHandle>> opened_;
};

// The photo a student's register photo is made from: the photo day's
// original where there is one, else the site's photo (empty: none).
struct PhotoSource {
    QString file;
    bool original = false;
};

PhotoSource SourceOf(const ExportStudent& student, const QString& photoDayFolder)
{
    const QString name = student.code + QStringLiteral(".jpg");
    if (!photoDayFolder.isEmpty() && IsPlainFileName(name)) {
        QString file = QDir(photoDayFolder).filePath(kOriginalsFolder + u'/' + name);
        if (QFileInfo(file).isFile())
            return {std::move(file), true};
    }
    return {student.photo, false};
}

// One student's photo made (or why not) into `line`; the bytes when made.
std::vector<std::uint8_t> MakePhoto(ExportLine& line, FaceDetector& faces)
{
    try {
        auto bytes = std::make_shared<std::vector<std::uint8_t>>();
        ReadFileBytes(FileSystemPath(line.source), *bytes);
        const std::unique_ptr<TGraphic> picture = LoadPictureByContent(bytes);
        auto made = MakeRegisterPhoto(*picture, faces);
        if (const RegisterPhotoFault* fault = std::get_if<RegisterPhotoFault>(&made)) {
            line.outcome = *fault == RegisterPhotoFault::NoFace     ? ExportOutcome::NoFace
                           : *fault == RegisterPhotoFault::TooSmall ? ExportOutcome::TooSmall
                                                                    : ExportOutcome::TooLarge;
            if (*fault == RegisterPhotoFault::TooSmall)
                line.detail = QStringLiteral("照片 %1 × %2，脸部区域不够 %3 × %4")
                                  .arg(picture->Width())
                                  .arg(picture->Height())
                                  .arg(kSmallestRegisterPhotoSize.Width)
                                  .arg(kSmallestRegisterPhotoSize.Height);
            return {};
        }
        RegisterPhoto& photo = std::get<RegisterPhoto>(made);
        line.quality = photo.quality;
        line.lightBlueBackground = photo.lightBlueBackground;
        return std::move(photo.bytes);
    } catch (const std::exception& error) {
        line.outcome = ExportOutcome::Unreadable;
        line.detail = QString::fromUtf8(error.what());
        return {};
    }
}

// A student's line, and the photo's bytes when one was made.
struct MadeStudent {
    ExportLine line;
    std::vector<std::uint8_t> bytes;
};

MadeStudent MakeStudent(const PlannedStudent& one, const QString& photoDayFolder, FaceDetector& faces)
{
    MadeStudent made;
    ExportLine& line = made.line;
    line.student = one.student;
    line.outcome = one.outcome;
    line.detail = one.detail;
    if (!one.place)
        return made;
    const PhotoSource source = SourceOf(one.student, photoDayFolder);
    line.source = source.file;
    line.original = source.original;
    if (line.source.isEmpty())
        line.outcome = ExportOutcome::NoPhoto;
    else
        made.bytes = MakePhoto(line, faces);
    return made;
}

// Photos are made on this many threads (each with a face detector of its
// own, since a detector is not to be shared), a batch of students at a time,
// and written in the plan's order on the calling thread. A batch bounds the
// photos in hand and the time between two progress reports (the window
// repaints at each: a few seconds on two cores); smaller batches leave the
// threads waiting on a batch's slowest photo more often (3,000 students took
// 345 s in batches of 32, 537 s in batches of eight, on a shared machine).
std::size_t WorkerCount()
{
    return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
}
constexpr qsizetype kStudentsPerBatch = 32;

} // namespace

ExportSummary RunRegisterExport(TADOQuery& query, const ExportRequest& request, const ExportProgress& progress)
{
    OutFolders out(OpenEmptyOutFolder(request.outFolder));
    std::vector<std::unique_ptr<FaceDetector>> detectors;
    for (std::size_t worker = 0; worker < WorkerCount(); ++worker)
        detectors.push_back(std::make_unique<FaceDetector>(request.faceModel));
    const ExportSite site = ReadExportSite(query, request.installationFolder, request.columns, request.roster);

    ExportSummary summary;
    summary.schoolCode = request.schoolCode.isEmpty() ? site.schoolCode : request.schoolCode;
    for (const QString& code : site.notOnSite) {
        ExportLine line;
        line.student.code = code;
        line.outcome = ExportOutcome::NotOnSite;
        summary.lines.append(line);
    }
    const QList<PlannedStudent> planned = PlanExport(site.students, summary.schoolCode);

    // One class is written at a time: its photos, then its zip.
    QStringList classFolders;
    QList<ZipEntry> classPhotos;
    auto finishClass = [&] {
        if (classPhotos.isEmpty())
            return;
        const QString zipName = classFolders.back() + QStringLiteral(".zip");
        out.Write(classFolders.mid(0, 1), zipName, ZipOf(classPhotos));
        summary.zips << classFolders.front() + u'/' + zipName;
        classPhotos.clear();
    };

    for (qsizetype first = 0; first < planned.size(); first += kStudentsPerBatch) {
        const qsizetype count = std::min(kStudentsPerBatch, planned.size() - first);
        std::vector<MadeStudent> made(static_cast<std::size_t>(count));
        std::atomic<qsizetype> next{0};
        auto work = [&](FaceDetector& faces) {
            for (qsizetype k = next++; k < count; k = next++)
                made[static_cast<std::size_t>(k)] = MakeStudent(planned[first + k], request.photoDayFolder, faces);
        };
        {
            std::vector<std::jthread> helpers;
            for (std::size_t worker = 1; worker < detectors.size(); ++worker)
                helpers.emplace_back(work, std::ref(*detectors[worker]));
            work(*detectors.front());
        }
        for (qsizetype k = 0; k < count; ++k) {
            const PlannedStudent& one = planned[first + k];
            MadeStudent& student = made[static_cast<std::size_t>(k)];
            if (!student.bytes.empty()) {
                if (one.place->inClassZip && one.place->folders != classFolders) {
                    finishClass();
                    classFolders = one.place->folders;
                }
                out.Write(one.place->folders, one.place->fileName, student.bytes);
                student.line.file = one.place->RelativePath();
                if (one.place->inClassZip)
                    classPhotos.append({one.place->fileName, std::move(student.bytes)});
            }
            summary.lines.append(student.line);
            if (progress)
                progress(first + k + 1, planned.size());
        }
    }
    finishClass();
    const QByteArray list = ExportListCsv(summary);
    out.Write(
        {}, kExportListName,
        std::span(reinterpret_cast<const std::uint8_t*>(list.constData()), static_cast<std::size_t>(list.size())));
    return summary;
}

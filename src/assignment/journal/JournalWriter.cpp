#include "assignment/journal/JournalWriter.h"

#include "assignment/journal/JournalStore.h"
#include "assignment/plan/AssignmentTypes.h"
#include "files/FileSystemPath.h"
#include "files/PhotoHash.h"
#include "files/SystemErrorText.h"

#include <QDateTime>
#include <QDir>

using namespace JournalFormat;

std::unique_ptr<JournalWriter> JournalWriter::Begin(const JournalStore& store, const SiteIdentity& siteIdentity,
                                                    const QString& database, qsizetype students)
{
    const FolderHandle site = store.OpenSiteJournals(siteIdentity, JournalsFolder::Create);
    const QString siteFolder = store.SiteFolder(siteIdentity);
    std::error_code error;
    if (FileHandle siteFile = site.CreateNew(NativeName(kSiteFile), error); siteFile.IsOpen()) {
        const QByteArray text = siteIdentity.canonicalFolder.toUtf8();
        siteFile.WriteAll(text.constData(), text.size(), error);
        if (error)
            JournalFormat::Fail(QStringLiteral("无法写入"), QDir(siteFolder).filePath(kSiteFile), error);
    }
    error.clear();

    const QDateTime started = QDateTime::currentDateTime();
    const QString stamp = started.toString(kRunIdTime);
    QString id = stamp;
    // The site's lock keeps other runs out; an earlier run of the same second keeps its folder.
    for (int n = 2; site.Look(NativeName(id), error).kind != EntryFacts::Kind::Missing || error; ++n) {
        if (n > 1000 || error)
            JournalFormat::Fail(QStringLiteral("无法建立"), siteFolder, error);
        id = stamp + QStringLiteral("-%1").arg(n, 4, 10, QChar(u'0'));
    }
    FolderHandle folder = site.OpenFolder(NativeName(id), true, error);
    if (error)
        JournalFormat::Fail(QStringLiteral("无法建立"), QDir(siteFolder).filePath(id), error);
    std::unique_ptr<JournalWriter> journal(new JournalWriter(id, std::move(folder), {}));
    journal->OpenOldPhotos();
    journal->Append({.kind = RecordKind::Journal, .version = kVersion});
    journal->Append({.kind = RecordKind::Site, .site = siteIdentity.canonicalFolder});
    journal->Append({.kind = RecordKind::Database, .database = database});
    journal->Append({.kind = RecordKind::Started, .time = started});
    journal->Append({.kind = RecordKind::Students, .students = students});
    journal->Sync();
    return journal;
}

std::unique_ptr<JournalWriter> JournalWriter::Reopen(const JournaledRun& run)
{
    std::error_code error;
    FolderHandle folder = FolderHandle::Open(FileSystemPath(run.folder), error);
    if (!error && folder.Look(NativeName(kLinesFile), error).kind != EntryFacts::Kind::Regular && !error)
        error = FileRule::NotRegular;
    if (error)
        JournalFormat::Fail(QStringLiteral("无法打开"), run.folder, error);
    std::unique_ptr<JournalWriter> journal(new JournalWriter(run.id, std::move(folder), run.lastChain));
    // A line cut off by a crash goes: the next line follows the last whole one.
    if (run.cutOffLine) {
        journal->lines_.Resize(std::uint64_t(run.completeBytes), error);
        if (error)
            journal->Fail(kLinesFile, error);
    }
    return journal;
}

JournalWriter::JournalWriter(QString id, FolderHandle folder, QByteArray chain)
    : id_(std::move(id)), folder_(std::move(folder)), chain_(std::move(chain))
{
    std::error_code error;
    lines_ = folder_.OpenForAppending(NativeName(kLinesFile), error);
    if (error)
        Fail(kLinesFile, error);
}

void JournalWriter::OpenOldPhotos()
{
    std::error_code error;
    oldPhotos_ = folder_.OpenForAppending(NativeName(kOldPhotosFile), error);
    if (error)
        Fail(kOldPhotosFile, error);
    oldPhotosSize_ = static_cast<qint64>(oldPhotos_.Facts(error).size);
    if (error)
        Fail(kOldPhotosFile, error);
}

JournalWriter::~JournalWriter() = default;

void JournalWriter::Fail(const QString& file, const std::error_code& error) const
{
    JournalFormat::Fail(QStringLiteral("无法写入"), QDir(PathText(folder_.Path())).filePath(file), error);
}

void JournalWriter::Append(const JournalRecord& record)
{
    pending_ += Line(record, chain_);
}

void JournalWriter::Intend(const JournalEntry& entry, const std::optional<QByteArray>& oldFile)
{
    std::optional<JournalEntry::SavedFile> saved;
    if (oldFile) {
        Q_ASSERT(oldPhotos_.IsOpen());
        saved = JournalEntry::SavedFile{oldPhotosSize_, oldFile->size(), PhotoHash(*oldFile)};
        std::error_code error;
        oldPhotos_.WriteAll(oldFile->constData(), static_cast<std::size_t>(oldFile->size()), error);
        if (error)
            Fail(kOldPhotosFile, error);
        oldPhotosSize_ += oldFile->size();
    }
    Append({.kind = RecordKind::Intent,
            .line = entry.line,
            .code = entry.code,
            .oldFile = OldFileField(saved),
            .oldPhoto = OldPhotoField(entry.oldPhoto),
            .newFileHash = entry.newFileHash,
            .newPhoto = entry.newPhoto});
}

void JournalWriter::Done(const JournalEntry& entry, PhotoCopy copy, qsizetype rowsChanged)
{
    Append(
        {.kind = RecordKind::Done, .line = entry.line, .code = entry.code, .copy = copy, .rowsChanged = rowsChanged});
}

void JournalWriter::Finish(RunEnding ending, qsizetype studentsSet, qsizetype studentsNotSet)
{
    Append({.kind = RecordKind::Finished,
            .time = QDateTime::currentDateTime(),
            .ending = ending,
            .studentsSet = studentsSet,
            .studentsNotSet = studentsNotSet});
    Sync();
}

void JournalWriter::Undone(const JournalEntry& entry)
{
    Append({.kind = RecordKind::Undone, .line = entry.line, .code = entry.code});
}

void JournalWriter::UndoFinished()
{
    Append({.kind = RecordKind::UndoFinished, .time = QDateTime::currentDateTime()});
    Sync();
}

void JournalWriter::Sync()
{
    std::error_code error;
    // The old photos reach the disk before the lines that point into them.
    if (oldPhotos_.IsOpen())
        oldPhotos_.Sync(error);
    if (error)
        Fail(kOldPhotosFile, error);
    lines_.WriteAll(pending_.constData(), static_cast<std::size_t>(pending_.size()), error);
    if (!error)
        lines_.Sync(error);
    if (error)
        Fail(kLinesFile, error);
    pending_.clear();
}

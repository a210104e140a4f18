#include "assignment/RunJournal.h"

#include "assignment/JournalStore.h"
#include "assignment/PhotoHash.h"
#include "assignment/SiteIdentity.h"

#include <QDateTime>
#include <QDir>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

using namespace JournalFormat;

std::unique_ptr<RunJournal> RunJournal::Begin(const JournalStore& store, const QString& installationFolder,
                                              const QString& database, qsizetype students)
{
    const QString siteFolder = store.SiteFolder(installationFolder);
    if (!QDir().mkpath(siteFolder))
        throw EJournalError(
            QStringLiteral("无法建立撤销记录文件夹 %1").arg(QDir::toNativeSeparators(siteFolder)).toStdString());
    // Students' photos are personal data: the journal is for its owner's eyes only.
    QFile::setPermissions(store.JournalsFolder(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile siteFile(QDir(siteFolder).filePath(kSiteFile));
    if (!siteFile.exists()) {
        if (!siteFile.open(QIODevice::WriteOnly)
            || siteFile.write(CanonicalSiteFolder(installationFolder).toUtf8()) < 0)
            Fail(QStringLiteral("无法写入"), siteFile);
    }

    const QDateTime started = QDateTime::currentDateTime();
    const QString stamp = started.toString(kRunIdTime);
    QString id = stamp;
    // mkdir fails when the folder exists: two runs never share one.
    for (int n = 2; !QDir(siteFolder).mkdir(id); ++n) {
        if (n > 1000)
            throw EJournalError(
                QStringLiteral("无法建立撤销记录文件夹 %1").arg(QDir::toNativeSeparators(siteFolder)).toStdString());
        id = stamp + QStringLiteral("-%1").arg(n, 4, 10, QChar(u'0'));
    }
    std::unique_ptr<RunJournal> journal(new RunJournal(id, QDir(siteFolder).filePath(id)));
    journal->Append({QStringLiteral("journal"), QStringLiteral("1")});
    journal->Append({QStringLiteral("site"), CanonicalSiteFolder(installationFolder)});
    journal->Append({QStringLiteral("database"), database});
    journal->Append({QStringLiteral("started"), started.toString(Qt::ISODate)});
    journal->Append({QStringLiteral("students"), QString::number(students)});
    journal->Sync();
    return journal;
}

std::unique_ptr<RunJournal> RunJournal::Reopen(const JournalRun& run)
{
    return std::unique_ptr<RunJournal>(new RunJournal(run.id, run.folder));
}

RunJournal::RunJournal(QString id, const QString& folder)
    : id_(std::move(id)), lines_(QDir(folder).filePath(kLinesFile)), oldPhotos_(QDir(folder).filePath(kOldPhotosFile))
{
    if (!lines_.open(QIODevice::WriteOnly | QIODevice::Append))
        Fail(QStringLiteral("无法写入"), lines_);
    if (!oldPhotos_.open(QIODevice::WriteOnly | QIODevice::Append))
        Fail(QStringLiteral("无法写入"), oldPhotos_);
    oldPhotosSize_ = oldPhotos_.size();
}

RunJournal::~RunJournal() = default;

void RunJournal::Append(const QStringList& fields)
{
    const QByteArray line = Line(fields);
    if (lines_.write(line) != line.size())
        Fail(QStringLiteral("无法写入"), lines_);
}

void RunJournal::Intend(const JournalEntry& entry, const std::optional<QByteArray>& oldFile)
{
    std::optional<JournalEntry::SavedFile> saved;
    if (oldFile) {
        saved = JournalEntry::SavedFile{oldPhotosSize_, oldFile->size(), PhotoHash(*oldFile)};
        if (oldPhotos_.write(*oldFile) != oldFile->size())
            Fail(QStringLiteral("无法写入"), oldPhotos_);
        oldPhotosSize_ += oldFile->size();
    }
    Append({QStringLiteral("intent"), QString::number(entry.line), entry.code, OldFileField(saved),
            OldPhotoField(entry.oldPhoto), QString::fromLatin1(entry.newFileHash), entry.newPhoto});
}

void RunJournal::Done(const JournalEntry& entry, PhotoCopy copy, qsizetype rowsChanged)
{
    Append({QStringLiteral("done"), QString::number(entry.line), entry.code,
            copy == PhotoCopy::Copied ? QStringLiteral("copied") : QStringLiteral("notcopied"),
            QString::number(rowsChanged)});
}

void RunJournal::Finish(RunEnding ending)
{
    Append({QStringLiteral("finished"), QDateTime::currentDateTime().toString(Qt::ISODate),
            ending == RunEnding::Completed ? QStringLiteral("completed") : QStringLiteral("failed")});
    Sync();
}

void RunJournal::Undone(const JournalEntry& entry)
{
    Append({QStringLiteral("undone"), QString::number(entry.line), entry.code});
}

void RunJournal::UndoFinished()
{
    Append({QStringLiteral("undo-finished"), QDateTime::currentDateTime().toString(Qt::ISODate)});
    Sync();
}

void RunJournal::Sync()
{
    for (QFile* file : {&oldPhotos_, &lines_}) {
        if (!file->flush())
            Fail(QStringLiteral("无法写入"), *file);
#ifdef Q_OS_WIN
        const int synced = _commit(file->handle());
#else
        const int synced = fsync(file->handle());
#endif
        if (synced != 0)
            Fail(QStringLiteral("无法写入磁盘"), *file);
    }
}

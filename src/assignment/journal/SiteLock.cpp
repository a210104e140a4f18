#include "assignment/journal/SiteLock.h"

#include "assignment/journal/JournalFormat.h"
#include "assignment/journal/JournalStore.h"
#include "assignment/journal/JournaledRun.h"
#include "files/SystemErrorText.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QSysInfo>
#include <QThread>

using namespace JournalFormat;

namespace {

// What an entry that is no plain file is, in the user's words.
QString KindText(EntryFacts::Kind kind)
{
    switch (kind) {
    case EntryFacts::Kind::Link:
        return QStringLiteral("一个链接");
    case EntryFacts::Kind::Folder:
        return QStringLiteral("一个文件夹");
    default:
        return QStringLiteral("一个特殊文件（例如命名管道）");
    }
}

// A lock entry that is no plain file is refused, never replaced: a run may
// still hold the lock on the file that the entry replaced, and a new file
// in its place would let a second run in beside it. Only the user can tell
// that no run is under way.
void RefuseUnusableEntry(const FolderHandle& site, const QString& path)
{
    std::error_code error;
    const EntryFacts facts = site.Look(NativeName(kLockFile), error);
    if (error || facts.kind == EntryFacts::Kind::Missing || facts.kind == EntryFacts::Kind::Regular)
        return;
    throw ESiteLockUnusable(
        QStringLiteral("这个网站的锁文件 %1 不是普通文件，而是%2，无法确定是否有另一次设置或撤销正在进行。"
                       "请确认没有设置或撤销在进行后删除它，再重试；这次没有改动任何内容。")
            .arg(QDir::toNativeSeparators(path), KindText(facts.kind))
            .toStdString());
}

// Tries once; the open file holds the lock, or is closed when another does.
FileHandle TryLock(const FolderHandle& site, const QString& path, bool& busy)
{
    std::error_code error;
    FileHandle file = site.OpenForUpdating(NativeName(kLockFile), error);
    busy = false;
    if (!error && file.TryLock(error))
        return file;
    if (error) {
        RefuseUnusableEntry(site, path);
        Fail(QStringLiteral("无法加锁"), path, error);
    }
    busy = true;
    return {};
}

void WriteHolder(FileHandle& file)
{
    const QByteArray holder =
        PlainLine({QDateTime::currentDateTime().toString(Qt::ISODate), QSysInfo::machineHostName(),
                   QString::number(QCoreApplication::applicationPid())});
    // The note is a courtesy to whoever waits; the lock holds without it.
    std::error_code error;
    file.Resize(0, error);
    if (!error)
        file.WriteAll(holder.constData(), static_cast<std::size_t>(holder.size()), error);
}

QString HolderText(const FolderHandle& site)
{
    std::error_code error;
    // Opened as the holder opened it: on Windows a file that another has open
    // for writing can only be opened again by a handle that lets writers in.
    FileHandle file = site.OpenForUpdating(NativeName(kLockFile), error);
    const QStringList fields =
        error ? QStringList() : Fields(QByteArray::fromStdString(file.ReadAll(kMaxSmallFileBytes, error)).trimmed());
    if (error || fields.size() < 2)
        return QStringLiteral("另一次设置或撤销");
    return QStringLiteral("%1 在计算机“%2”上开始的设置或撤销")
        .arg(RunTimeText(QDateTime::fromString(fields[0], Qt::ISODate)), fields[1]);
}

} // namespace

SiteLock SiteLock::Take(const JournalStore& store, const SiteIdentity& siteIdentity)
{
    const FolderHandle site = store.OpenSiteJournals(siteIdentity, JournalsFolder::Create);
    const QString path = QDir(store.SiteFolder(siteIdentity)).filePath(kLockFile);
    QDeadlineTimer deadline(store.Limits().lockWaitMs);
    SiteLock lock;
    for (;;) {
        bool busy = false;
        lock.file_ = TryLock(site, path, busy);
        if (!busy)
            break;
        if (deadline.hasExpired()) {
            throw ESiteBusy(QStringLiteral("这个网站的%1还没有结束，请等它结束后再试；这次没有改动任何内容。")
                                .arg(HolderText(site))
                                .toStdString());
        }
        QThread::msleep(100);
    }
    WriteHolder(lock.file_);
    return lock;
}

SiteLock SiteLock::TryTake(const JournalStore& store, const QString& siteName)
{
    SiteLock lock;
    try {
        const FolderHandle site = store.OpenSiteJournals(siteName, JournalsFolder::MustExist);
        bool busy = false;
        lock.file_ = TryLock(site, QDir(store.SiteFolder(siteName)).filePath(kLockFile), busy);
    } catch (const EJournalError&) {
        // A site folder that cannot be locked is not pruned either.
    }
    return lock;
}

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

// Tries once; the open file holds the lock, or is closed when another does.
FileHandle TryLock(const FolderHandle& site, const QString& path, bool& busy)
{
    std::error_code error;
    FileHandle file = site.OpenForUpdating(NativeName(kLockFile), error);
    busy = false;
    if (!error && file.TryLock(error))
        return file;
    if (error)
        Fail(QStringLiteral("无法加锁"), path, error);
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

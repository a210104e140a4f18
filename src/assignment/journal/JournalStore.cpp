#include "assignment/journal/JournalStore.h"

#include "assignment/journal/JournalFormat.h"
#include "assignment/plan/AssignmentTypes.h"
#include "files/FileSystemPath.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

JournalStore::JournalStore(QString dataFolder, JournalLimits limits)
    : dataFolder_(std::move(dataFolder)), limits_(limits)
{
}

QString JournalStore::DefaultDataFolder()
{
    // The generic folder, not the application's own: the window and the
    // command line have different application names but share the journal,
    // and on Windows it is the local folder, which roaming profiles leave
    // alone.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/student-photo");
}

QString JournalStore::JournalsPath() const
{
    return dataFolder_ + u'/' + JournalFormat::kJournalsFolder;
}

QString JournalStore::SiteFolder(const QString& siteName) const
{
    return JournalsPath() + u'/' + siteName;
}

QString JournalStore::SiteFolder(const SiteIdentity& site) const
{
    return SiteFolder(site.journalName);
}

FolderHandle JournalStore::OpenSiteJournals(const QString& siteName, JournalsFolder folder) const
{
    const bool create = folder == JournalsFolder::Create;
    std::error_code error;
    if (create && !QDir().mkpath(dataFolder_)) {
        JournalFormat::Fail(QStringLiteral("无法建立"), dataFolder_,
                            std::make_error_code(std::errc::permission_denied));
    }
    FolderHandle site = FolderHandle::OpenWithin(
        FileSystemPath(dataFolder_), FileSystemPath(JournalFormat::kJournalsFolder + u'/' + siteName), create, error);
    if (error)
        JournalFormat::Fail(QStringLiteral("无法打开"), SiteFolder(siteName), error);
    // Students' photos are personal data: the journal is for its owner's eyes only.
    if (create)
        QFile::setPermissions(JournalsPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return site;
}

FolderHandle JournalStore::OpenSiteJournals(const SiteIdentity& site, JournalsFolder folder) const
{
    return OpenSiteJournals(site.journalName, folder);
}

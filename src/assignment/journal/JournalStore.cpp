#include "assignment/journal/JournalStore.h"

#include "assignment/journal/JournalFormat.h"

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

QString JournalStore::JournalsFolder() const
{
    return dataFolder_ + u'/' + JournalFormat::kJournalsFolder;
}

QString JournalStore::SiteFolder(const QString& installationFolder) const
{
    return JournalsFolder() + u'/' + JournalFormat::SiteFolderName(installationFolder);
}

#include "assignment/JournalPruning.h"

#include "assignment/JournalFormat.h"
#include "assignment/JournalRun.h"
#include "assignment/JournalStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <algorithm>

using namespace JournalFormat;

namespace {

qint64 FolderBytes(const QString& folder)
{
    qint64 total = 0;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files))
        total += file.size();
    return total;
}

} // namespace

QStringList PruneJournals(const JournalStore& store, const QString& keepId)
{
    struct Stored {
        QString folder;
        QString id;
        QString site;
        qint64 bytes;
    };
    QList<Stored> all;
    QList<Stored> removable;
    const QDir journals(store.JournalsFolder());
    for (const QString& siteName : journals.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDir site(journals.filePath(siteName));
        QFile siteFile(site.filePath(kSiteFile));
        const QString siteText = siteFile.open(QIODevice::ReadOnly) ? QString::fromUtf8(siteFile.readAll()) : siteName;
        const QStringList ids = site.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (qsizetype i = 0; i < ids.size(); ++i) {
            const Stored stored{site.filePath(ids[i]), ids[i], siteText, FolderBytes(site.filePath(ids[i]))};
            all << stored;
            // The newest runs of each site stay, and so does the one just written.
            if (ids[i] != keepId && i < ids.size() - store.Limits().runsPerSite)
                removable << stored;
        }
    }
    std::sort(all.begin(), all.end(), [](const Stored& a, const Stored& b) { return a.id < b.id; });
    const auto isRemovable = [&](const Stored& stored) {
        return std::any_of(removable.cbegin(), removable.cend(),
                           [&](const Stored& r) { return r.folder == stored.folder; });
    };
    qint64 total = 0;
    for (const Stored& stored : std::as_const(all))
        total += isRemovable(stored) ? 0 : stored.bytes;
    // Past the size limit, the oldest of any site go as well.
    for (const Stored& stored : std::as_const(all)) {
        if (total <= store.Limits().totalBytes)
            break;
        if (stored.id != keepId && !isRemovable(stored)) {
            removable << stored;
            total -= stored.bytes;
        }
    }

    std::sort(removable.begin(), removable.end(), [](const Stored& a, const Stored& b) { return a.id < b.id; });
    QStringList removed;
    for (const Stored& stored : std::as_const(removable)) {
        QDir(stored.folder).removeRecursively();
        const QDateTime time = QDateTime::fromString(stored.id.left(15), kRunIdTime);
        removed << QStringLiteral("%1（%2）").arg(RunTimeText(time), QDir::toNativeSeparators(stored.site));
    }
    return removed;
}

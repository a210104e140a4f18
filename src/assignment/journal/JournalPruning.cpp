#include "assignment/journal/JournalPruning.h"

#include "assignment/journal/JournalFormat.h"
#include "assignment/journal/JournalStore.h"
#include "assignment/journal/JournaledRun.h"
#include "assignment/journal/SiteLock.h"
#include "files/SystemErrorText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <utility>
#include <vector>

using namespace JournalFormat;

namespace {

qint64 FolderBytes(const QString& folder)
{
    qint64 total = 0;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files))
        total += file.size();
    return total;
}

// The installation folder a site's folder is for, as its site.txt says.
QString SiteText(const FolderHandle& site, const QString& siteName)
{
    std::error_code error;
    FileHandle file = site.OpenForReading(NativeName(kSiteFile), error);
    const std::string text = error ? std::string() : file.ReadAll(kMaxSmallFileBytes, error);
    return error ? siteName : QString::fromUtf8(QByteArray::fromStdString(text));
}

// Tells the site's next "runs" which of its runs went, and when.
void NotePruned(const FolderHandle& site, const QString& id)
{
    std::error_code error;
    FileHandle file = site.OpenForAppending(NativeName(kPrunedFile), error);
    const QByteArray line = PlainLine({id, QDateTime::currentDateTime().toString(Qt::ISODate)});
    if (!error)
        file.WriteAll(line.constData(), static_cast<std::size_t>(line.size()), error);
}

} // namespace

QStringList PruneJournals(const JournalStore& store, const QString& keepId, const QString& ownSiteName)
{
    struct Stored {
        QString folder;
        QString id;
        QString site;
        qint64 bytes;
        qsizetype siteIndex;
    };
    QList<Stored> all;
    QList<Stored> removable;
    // A site with a run or undo under way keeps every run: the lock of each
    // other site is held while its runs are weighed and removed.
    std::vector<std::pair<FolderHandle, SiteLock>> sites;
    const QDir journals(store.JournalsPath());
    for (const QString& siteName : journals.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        SiteLock lock;
        if (siteName != ownSiteName) {
            lock = SiteLock::TryTake(store, siteName);
            if (!lock.Held())
                continue;
        }
        FolderHandle handle;
        try {
            handle = store.OpenSiteJournals(siteName, JournalsFolder::MustExist);
        } catch (const EJournalError&) {
            continue;
        }
        const QDir site(journals.filePath(siteName));
        const QString siteText = SiteText(handle, siteName);
        sites.emplace_back(std::move(handle), std::move(lock));
        const QStringList ids = site.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (qsizetype i = 0; i < ids.size(); ++i) {
            const Stored stored{site.filePath(ids[i]), ids[i], siteText, FolderBytes(site.filePath(ids[i])),
                                qsizetype(sites.size()) - 1};
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
        NotePruned(sites[std::size_t(stored.siteIndex)].first, stored.id);
        const QDateTime time = QDateTime::fromString(stored.id.left(15), kRunIdTime);
        removed << QStringLiteral("%1（%2）").arg(RunTimeText(time), QDir::toNativeSeparators(stored.site));
    }
    return removed;
}

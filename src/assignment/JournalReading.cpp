#include "assignment/JournalReading.h"

#include "assignment/JournalStore.h"
#include "assignment/PhotoHash.h"

#include <QDir>
#include <QFile>
#include <QHash>

using namespace JournalFormat;

namespace {

// The run's journal, or nothing when it is not one.
std::optional<JournalRun> ReadRun(const QString& folder)
{
    QFile file(QDir(folder).filePath(kLinesFile));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    // A line without its end was cut off while it was written.
    bytes.truncate(bytes.lastIndexOf('\n') + 1);
    JournalRun run;
    run.id = QDir(folder).dirName();
    run.folder = folder;
    bool isJournal = false;
    QHash<qsizetype, qsizetype> entryOfLine;
    const auto entryFor = [&](const QStringList& fields) -> JournalEntry* {
        const auto found = entryOfLine.constFind(fields.value(1).toLongLong());
        return found == entryOfLine.cend() ? nullptr : &run.entries[*found];
    };
    for (const QByteArray& raw : bytes.split('\n')) {
        const QStringList fields = Fields(raw);
        const QString& kind = fields[0];
        if (kind == u"journal") {
            isJournal = true;
        } else if (kind == u"site") {
            run.siteFolder = fields.value(1);
        } else if (kind == u"database") {
            run.database = fields.value(1);
        } else if (kind == u"started") {
            run.started = QDateTime::fromString(fields.value(1), Qt::ISODate);
        } else if (kind == u"students") {
            run.plannedStudents = fields.value(1).toLongLong();
        } else if (kind == u"intent" && fields.size() >= 7) {
            JournalEntry entry;
            entry.line = fields[1].toLongLong();
            entry.code = fields[2];
            entry.oldFile = ParseOldFile(fields[3]);
            entry.oldPhoto = ParseOldPhoto(fields[4]);
            entry.newFileHash = fields[5].toLatin1();
            entry.newPhoto = fields[6];
            entryOfLine.insert(entry.line, run.entries.size());
            run.entries << entry;
        } else if (kind == u"done") {
            if (JournalEntry* entry = entryFor(fields))
                entry->done = true;
        } else if (kind == u"undone") {
            if (JournalEntry* entry = entryFor(fields))
                entry->undone = true;
        } else if (kind == u"finished") {
            run.state = fields.value(2) == u"completed" ? JournalRun::State::Complete : JournalRun::State::Failed;
        } else if (kind == u"undo-finished") {
            run.undone = true;
        }
    }
    if (!isJournal)
        return std::nullopt;
    return run;
}

} // namespace

QList<JournalRun> JournalRuns(const JournalStore& store, const QString& installationFolder)
{
    QList<JournalRun> runs;
    const QDir site(store.SiteFolder(installationFolder));
    for (const QString& id : site.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (std::optional<JournalRun> run = ReadRun(site.filePath(id)))
            runs << std::move(*run);
    }
    return runs;
}

QByteArray ReadOldPhoto(const JournalRun& run, const JournalEntry::SavedFile& saved)
{
    QFile file(QDir(run.folder).filePath(kOldPhotosFile));
    if (!file.open(QIODevice::ReadOnly))
        Fail(QStringLiteral("无法读取"), file);
    QByteArray bytes;
    if (file.seek(saved.offset))
        bytes = file.read(saved.length);
    if (bytes.size() != saved.length || PhotoHash(bytes) != saved.hash) {
        throw EJournalError(QStringLiteral("撤销记录 %1 中保存的旧照片已损坏")
                                .arg(QDir::toNativeSeparators(file.fileName()))
                                .toStdString());
    }
    return bytes;
}

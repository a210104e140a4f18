#include "assignment/RunJournal.h"

#include "assignment/SiteIdentity.h"

#include <QCryptographicHash>
#include <QDir>
#include <QStandardPaths>

#include <algorithm>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

const QString kLinesFile = QStringLiteral("journal.txt");
const QString kOldPhotosFile = QStringLiteral("old-photos.bin");
const QString kSiteFile = QStringLiteral("site.txt");
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

[[noreturn]] void Fail(const QString& what, const QFileDevice& file)
{
    throw EJournalError(QStringLiteral("撤销记录 %1 %2：%3")
                            .arg(QDir::toNativeSeparators(file.fileName()), what, file.errorString())
                            .toStdString());
}

QString Escape(QString field)
{
    return field.replace(u'%', QStringLiteral("%25"))
        .replace(u'\t', QStringLiteral("%09"))
        .replace(u'\r', QStringLiteral("%0D"))
        .replace(u'\n', QStringLiteral("%0A"));
}

QString Unescape(const QString& field)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(field.toUtf8()));
}

QString OldFileField(const std::optional<JournalEntry::SavedFile>& saved)
{
    if (!saved)
        return QStringLiteral("none");
    return QStringLiteral("%1:%2:%3").arg(saved->offset).arg(saved->length).arg(QString::fromLatin1(saved->hash));
}

QString OldPhotoField(const std::optional<QVariant>& photo)
{
    if (!photo)
        return QStringLiteral("norow");
    if (photo->isNull())
        return QStringLiteral("null");
    return u'=' + photo->toString();
}

std::optional<JournalEntry::SavedFile> ParseOldFile(const QString& field)
{
    const QStringList parts = field.split(u':');
    if (parts.size() != 3)
        return std::nullopt;
    return JournalEntry::SavedFile{parts[0].toLongLong(), parts[1].toLongLong(), parts[2].toLatin1()};
}

std::optional<QVariant> ParseOldPhoto(const QString& field)
{
    if (field == u"norow")
        return std::nullopt;
    if (field == u"null")
        return QVariant(QMetaType::fromType<QString>());
    return QVariant(field.mid(1));
}

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
        QStringList fields = QString::fromUtf8(raw).split(u'\t');
        for (QString& field : fields)
            field = Unescape(field);
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

qint64 FolderBytes(const QString& folder)
{
    qint64 total = 0;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files))
        total += file.size();
    return total;
}

} // namespace

QByteArray PhotoHash(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Blake2b_256).toHex();
}

QByteArray PhotoHash(QIODevice& device)
{
    QCryptographicHash hash(QCryptographicHash::Blake2b_256);
    hash.addData(&device);
    return hash.result().toHex();
}

QList<JournalEntry> JournalRun::EntriesToUndo() const
{
    QList<JournalEntry> entries;
    for (const JournalEntry& entry : this->entries) {
        if (!entry.undone)
            entries << entry;
    }
    return entries;
}

QString JournalRun::StartedText() const
{
    return started.toString(kTimeFormat);
}

QString JournalRun::StateText() const
{
    if (undone)
        return QStringLiteral("已撤销");
    switch (state) {
    case State::Complete:
        return QStringLiteral("完整");
    case State::Failed:
        return QStringLiteral("失败");
    case State::CutOff:
        break;
    }
    return QStringLiteral("中断");
}

QByteArray JournalRun::OldFile(const JournalEntry::SavedFile& saved) const
{
    QFile file(QDir(folder).filePath(kOldPhotosFile));
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
    QStringList escaped;
    for (const QString& field : fields)
        escaped << Escape(field);
    const QByteArray line = (escaped.join(u'\t') + u'\n').toUtf8();
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

JournalStore::JournalStore(QString dataFolder, JournalLimits limits)
    : dataFolder_(std::move(dataFolder)), limits_(limits)
{
}

QString JournalStore::DefaultDataFolder()
{
    const QString configured = qEnvironmentVariable("STUDENT_PHOTO_DATA");
    if (!configured.isEmpty())
        return configured;
    // The generic folder, not the application's own: the window and the
    // command line have different application names but share the journal,
    // and on Windows it is the local folder, which roaming profiles leave
    // alone.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/student-photo");
}

QString JournalStore::SiteFolderFor(const QString& installationFolder) const
{
    const QString site = CanonicalSiteFolder(installationFolder);
    const QByteArray hash = QCryptographicHash::hash(site.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return dataFolder_ + QStringLiteral("/journal/") + QString::fromLatin1(hash);
}

std::unique_ptr<RunJournal> JournalStore::Begin(const QString& installationFolder, const QString& database,
                                                qsizetype students)
{
    const QString siteFolder = SiteFolderFor(installationFolder);
    if (!QDir().mkpath(siteFolder))
        throw EJournalError(
            QStringLiteral("无法建立撤销记录文件夹 %1").arg(QDir::toNativeSeparators(siteFolder)).toStdString());
    // Students' photos are personal data: the journal is for its owner's eyes only.
    QFile::setPermissions(dataFolder_ + QStringLiteral("/journal"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile siteFile(QDir(siteFolder).filePath(kSiteFile));
    if (!siteFile.exists()) {
        if (!siteFile.open(QIODevice::WriteOnly)
            || siteFile.write(CanonicalSiteFolder(installationFolder).toUtf8()) < 0)
            Fail(QStringLiteral("无法写入"), siteFile);
    }

    const QDateTime started = QDateTime::currentDateTime();
    const QString stamp = started.toString(QStringLiteral("yyyyMMdd-HHmmss"));
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

std::unique_ptr<RunJournal> JournalStore::Reopen(const JournalRun& run) const
{
    return std::unique_ptr<RunJournal>(new RunJournal(run.id, run.folder));
}

QList<JournalRun> JournalStore::Runs(const QString& installationFolder) const
{
    QList<JournalRun> runs;
    const QDir site(SiteFolderFor(installationFolder));
    for (const QString& id : site.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (std::optional<JournalRun> run = ReadRun(site.filePath(id)))
            runs << std::move(*run);
    }
    return runs;
}

QStringList JournalStore::Prune(const QString& keepId)
{
    struct Stored {
        QString folder;
        QString id;
        QString site;
        qint64 bytes;
    };
    QList<Stored> all;
    QList<Stored> removable;
    const QDir journals(dataFolder_ + QStringLiteral("/journal"));
    for (const QString& siteName : journals.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDir site(journals.filePath(siteName));
        QFile siteFile(site.filePath(kSiteFile));
        const QString siteText = siteFile.open(QIODevice::ReadOnly) ? QString::fromUtf8(siteFile.readAll()) : siteName;
        const QStringList ids = site.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (qsizetype i = 0; i < ids.size(); ++i) {
            const Stored stored{site.filePath(ids[i]), ids[i], siteText, FolderBytes(site.filePath(ids[i]))};
            all << stored;
            // The newest runs of each site stay, and so does the one just written.
            if (ids[i] != keepId && i < ids.size() - limits_.runsPerSite)
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
        if (total <= limits_.totalBytes)
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
        const QDateTime time = QDateTime::fromString(stored.id.left(15), QStringLiteral("yyyyMMdd-HHmmss"));
        removed << QStringLiteral("%1（%2）").arg(time.toString(kTimeFormat), QDir::toNativeSeparators(stored.site));
    }
    return removed;
}

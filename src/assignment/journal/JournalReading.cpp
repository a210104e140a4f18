#include "assignment/journal/JournalReading.h"

#include "assignment/journal/JournalStore.h"
#include "assignment/journal/RunJournal.h"
#include "assignment/site/StudentPhotoFile.h"
#include "files/FileSystemPath.h"
#include "files/PhotoHash.h"
#include "files/PlainFileName.h"
#include "files/SystemErrorText.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>

using namespace JournalFormat;

namespace {

// The fields of the first five lines, in this order.
const QString kHead[] = {QStringLiteral("journal"), QStringLiteral("site"), QStringLiteral("database"),
                         QStringLiteral("started"), QStringLiteral("students")};

QString LineProblem(qsizetype number, const QString& what)
{
    return QStringLiteral("撤销记录第 %1 行%2").arg(number).arg(what);
}

void AddDamage(JournalEntry& entry, const QString& what)
{
    entry.damage += (entry.damage.isEmpty() ? QString() : QStringLiteral("；")) + what;
}

// What is wrong with an intact intent's fields, or nothing.
QString IntentProblem(const QStringList& fields)
{
    const QString& code = fields[2];
    // The same rule as the run's: a code that could lead out of the photo
    // folder never names a file to remove or replace.
    if (!code.isEmpty() && !IsPlainFileName(code))
        return QStringLiteral("学籍号不能用作文件名，可能指向照片文件夹之外");
    if (fields[3] != u"none" && !ParseOldFile(fields[3]))
        return QStringLiteral("旧照片的位置记录有误");
    if (fields[4] != u"norow" && fields[4] != u"null" && !fields[4].startsWith(u'='))
        return QStringLiteral("旧的照片路径记录有误");
    if (fields[6] != StudentPhotoWebPath(code))
        return QStringLiteral("新的照片路径与学籍号不符");
    return {};
}

void ReadLines(JournalRun& run, QByteArray bytes)
{
    run.cutOffLine = !bytes.isEmpty() && !bytes.endsWith('\n');
    // A line without its end was cut off while it was written.
    bytes.truncate(bytes.lastIndexOf('\n') + 1);
    run.completeBytes = bytes.size();
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast();

    QHash<qsizetype, qsizetype> entryOfLine;
    QHash<QString, qsizetype> entryOfCode;
    const auto entryFor = [&](const QStringList& fields) -> JournalEntry* {
        const auto found = entryOfLine.constFind(fields.value(1).toLongLong());
        return found == entryOfLine.cend() ? nullptr : &run.entries[*found];
    };
    QByteArray chain;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const qsizetype number = i + 1;
        const ReadRecord record = Record(lines[i], chain);
        chain = record.chain;
        const QStringList& fields = record.fields;
        const QString& kind = fields[0];
        if (i < qsizetype(std::size(kHead))) {
            if (!record.chained || kind != kHead[i]) {
                run.unusable = LineProblem(number, QStringLiteral("（记录的开头）已损坏"));
                return;
            }
        } else if (!record.intact) {
            if (kind == u"intent" && fields.size() >= 3) {
                // The student as the damaged record names it: named, and skipped when forced.
                JournalEntry entry;
                entry.line = fields[1].toLongLong();
                entry.code = fields[2];
                entry.damage = LineProblem(number, QStringLiteral("已损坏"));
                entryOfLine.insert(entry.line, run.entries.size());
                entryOfCode.insert(entry.code, run.entries.size());
                run.entries << entry;
            } else if (JournalEntry* entry = kind == u"intent" ? nullptr : entryFor(fields)) {
                AddDamage(*entry, LineProblem(number, QStringLiteral("已损坏")));
            } else {
                run.problems << LineProblem(number, QStringLiteral("已损坏"));
            }
            continue;
        } else if (!record.chained) {
            run.problems << LineProblem(number, QStringLiteral("之前的记录缺少、多出或被挪动过"));
        }

        if (kind == u"journal") {
            if (fields.value(1) != kVersion) {
                run.unusable = QStringLiteral("撤销记录的版本（%1）不是这个程序的").arg(fields.value(1));
                return;
            }
        } else if (kind == u"site") {
            run.siteFolder = fields.value(1);
        } else if (kind == u"database") {
            run.database = fields.value(1);
        } else if (kind == u"started") {
            run.started = QDateTime::fromString(fields.value(1), Qt::ISODate);
        } else if (kind == u"students") {
            run.plannedStudents = fields.value(1).toLongLong();
        } else if (kind == u"intent" && fields.size() == 7) {
            JournalEntry entry;
            entry.line = fields[1].toLongLong();
            entry.code = fields[2];
            entry.damage = IntentProblem(fields);
            if (entry.damage.isEmpty()) {
                entry.oldFile = ParseOldFile(fields[3]);
                entry.oldPhoto = ParseOldPhoto(fields[4]);
            }
            entry.newFileHash = fields[5].toLatin1();
            entry.newPhoto = fields[6];
            // One student, one intent: a second one makes both doubtful.
            for (const qsizetype other : {entryOfLine.value(entry.line, -1), entryOfCode.value(entry.code, -1)}) {
                if (other >= 0) {
                    AddDamage(run.entries[other], QStringLiteral("在撤销记录中出现了两次"));
                    AddDamage(entry, QStringLiteral("在撤销记录中出现了两次"));
                }
            }
            entryOfLine.insert(entry.line, run.entries.size());
            entryOfCode.insert(entry.code, run.entries.size());
            run.entries << entry;
        } else if (kind == u"done") {
            if (JournalEntry* entry = entryFor(fields))
                entry->done = true;
        } else if (kind == u"undone") {
            if (JournalEntry* entry = entryFor(fields))
                entry->undone = true;
        } else if (kind == u"finished") {
            run.state = fields.value(2) == u"completed" ? JournalRun::State::Complete : JournalRun::State::Failed;
            run.studentsNotSet = fields.value(4).toLongLong();
        } else if (kind == u"undo-finished") {
            run.undone = true;
        } else {
            run.problems << LineProblem(number, QStringLiteral("不是撤销记录能有的内容"));
        }
    }
    if (lines.size() < qsizetype(std::size(kHead)))
        run.unusable = QStringLiteral("撤销记录不完整");
    run.lastChain = chain;
}

JournalRun ReadRun(const FolderHandle& site, const QString& siteFolder, const QString& id)
{
    JournalRun run;
    run.id = id;
    run.folder = QDir(siteFolder).filePath(id);
    std::error_code error;
    const FolderHandle folder = site.OpenFolder(NativeName(id), false, error);
    FileHandle file;
    if (!error)
        file = folder.OpenForReading(NativeName(kLinesFile), error);
    std::string bytes;
    if (!error)
        bytes = file.ReadAll(kMaxLinesBytes, error);
    if (error) {
        run.unusable =
            QStringLiteral("撤销记录 %1 无法读取：%2")
                .arg(QDir::toNativeSeparators(QDir(run.folder).filePath(kLinesFile)), SystemErrorText(error));
        return run;
    }
    ReadLines(run, QByteArray::fromStdString(bytes));
    return run;
}

FileHandle OpenOldPhotos(const JournalRun& run)
{
    std::error_code error;
    const FolderHandle folder = FolderHandle::Open(FileSystemPath(run.folder), error);
    FileHandle file;
    if (!error)
        file = folder.OpenForReading(NativeName(kOldPhotosFile), error);
    if (error)
        Fail(QStringLiteral("无法读取"), QDir(run.folder).filePath(kOldPhotosFile), error);
    return file;
}

} // namespace

QList<JournalRun> JournalRuns(const JournalStore& store, const QString& installationFolder)
{
    QList<JournalRun> runs;
    const QString siteName = SiteFolderName(installationFolder);
    FolderHandle site;
    try {
        site = OpenSiteJournals(store, siteName, false);
    } catch (const EJournalError&) {
        // No journal yet, or one that is not where it should be: nothing to undo.
        return runs;
    }
    const QRegularExpression runId(QStringLiteral(R"(^\d{8}-\d{6}(-\d{4})?$)"));
    const QDir siteFolder(store.SiteFolder(installationFolder));
    for (const QString& id : siteFolder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name)) {
        if (runId.match(id).hasMatch())
            runs << ReadRun(site, siteFolder.path(), id);
    }
    return runs;
}

void CheckOldPhotos(JournalRun& run)
{
    const bool anySaved = std::any_of(run.entries.cbegin(), run.entries.cend(),
                                      [](const JournalEntry& e) { return e.oldFile.has_value(); });
    if (!anySaved || !run.unusable.isEmpty())
        return;
    FileHandle file;
    try {
        file = OpenOldPhotos(run);
    } catch (const EJournalError& error) {
        run.unusable = QString::fromStdString(error.what());
        return;
    }
    for (JournalEntry& entry : run.entries) {
        if (!entry.oldFile || entry.undone)
            continue;
        std::error_code error;
        const std::string bytes = file.ReadAt(static_cast<std::uint64_t>(entry.oldFile->offset),
                                              static_cast<std::uint64_t>(entry.oldFile->length), error);
        if (error || qint64(bytes.size()) != entry.oldFile->length
            || PhotoHash(QByteArray::fromStdString(bytes)) != entry.oldFile->hash)
            AddDamage(entry, QStringLiteral("保存的旧照片已损坏"));
    }
}

QByteArray ReadOldPhoto(const JournalRun& run, const JournalEntry::SavedFile& saved)
{
    FileHandle file = OpenOldPhotos(run);
    std::error_code error;
    QByteArray bytes = QByteArray::fromStdString(
        file.ReadAt(static_cast<std::uint64_t>(saved.offset), static_cast<std::uint64_t>(saved.length), error));
    if (error || bytes.size() != saved.length || PhotoHash(bytes) != saved.hash) {
        throw EJournalError(QStringLiteral("撤销记录 %1 中保存的旧照片已损坏")
                                .arg(QDir::toNativeSeparators(QDir(run.folder).filePath(kOldPhotosFile)))
                                .toStdString());
    }
    return bytes;
}

QStringList PrunedRuns(const JournalStore& store, const QString& installationFolder)
{
    QStringList pruned;
    try {
        const FolderHandle site = OpenSiteJournals(store, SiteFolderName(installationFolder), false);
        std::error_code error;
        FileHandle file = site.OpenForReading(NativeName(kPrunedFile), error);
        const QByteArray bytes =
            error ? QByteArray() : QByteArray::fromStdString(file.ReadAll(kMaxSmallFileBytes, error));
        for (const QByteArray& line : bytes.split('\n')) {
            const QStringList fields = Fields(line);
            if (fields.size() == 2) {
                const QDateTime run = QDateTime::fromString(fields[0].left(15), kRunIdTime);
                pruned << QStringLiteral("%1 的设置（删除于 %2）")
                              .arg(RunTimeText(run), RunTimeText(QDateTime::fromString(fields[1], Qt::ISODate)));
            }
        }
    } catch (const EJournalError&) {
    }
    return pruned;
}

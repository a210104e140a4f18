#include "assignment/journal/JournalReader.h"

#include "assignment/journal/JournalStore.h"
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

QString LineProblem(qsizetype number, const QString& what)
{
    return QStringLiteral("撤销记录第 %1 行%2").arg(number).arg(what);
}

void AddDamage(JournalEntry& entry, const QString& what)
{
    entry.damage += (entry.damage.isEmpty() ? QString() : QStringLiteral("；")) + what;
}

// What is wrong with an intact intent, or nothing.
QString IntentProblem(const JournalRecord& intent)
{
    // The same rule as the run's: a code that could lead out of the photo
    // folder never names a file to remove or replace.
    if (!intent.code.isEmpty() && !IsPlainFileName(intent.code))
        return QStringLiteral("学籍号不能用作文件名，可能指向照片文件夹之外");
    if (!IsOldFileField(intent.oldFile))
        return QStringLiteral("旧照片的位置记录有误");
    if (!IsOldPhotoField(intent.oldPhoto))
        return QStringLiteral("旧的照片路径记录有误");
    if (intent.newPhoto != StudentPhotoWebPath(intent.code))
        return QStringLiteral("新的照片路径与学籍号不符");
    return {};
}

void ReadLines(JournaledRun& run, QByteArray bytes)
{
    run.cutOffLine = !bytes.isEmpty() && !bytes.endsWith('\n');
    // A line without its end was cut off while it was written.
    bytes.truncate(bytes.lastIndexOf('\n') + 1);
    run.completeBytes = bytes.size();
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast();

    QHash<qsizetype, qsizetype> entryOfLine;
    QHash<QString, qsizetype> entryOfCode;
    const auto entryFor = [&](const JournalRecord& record) -> JournalEntry* {
        const auto found = entryOfLine.constFind(record.line);
        return found == entryOfLine.cend() ? nullptr : &run.entries[*found];
    };
    QByteArray chain;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const qsizetype number = i + 1;
        const ReadRecord read = Record(lines[i], chain);
        chain = read.chain;
        const JournalRecord& record = read.record;
        if (i < qsizetype(std::size(kHeadKinds))) {
            if (!read.chained || record.kind != kHeadKinds[i]) {
                run.unusable = LineProblem(number, QStringLiteral("（记录的开头）已损坏"));
                return;
            }
        } else if (!read.intact) {
            if (record.kind == RecordKind::Intent && record.namesStudent) {
                // The student as the damaged record names it: named, and skipped when forced.
                JournalEntry entry;
                entry.line = record.line;
                entry.code = record.code;
                entry.damage = LineProblem(number, QStringLiteral("已损坏"));
                entryOfLine.insert(entry.line, run.entries.size());
                entryOfCode.insert(entry.code, run.entries.size());
                run.entries << entry;
            } else if (JournalEntry* entry = record.kind == RecordKind::Intent ? nullptr : entryFor(record)) {
                AddDamage(*entry, LineProblem(number, QStringLiteral("已损坏")));
            } else {
                run.problems << LineProblem(number, QStringLiteral("已损坏"));
            }
            continue;
        } else if (!read.chained) {
            run.problems << LineProblem(number, QStringLiteral("之前的记录缺少、多出或被挪动过"));
        }

        switch (record.kind) {
        case RecordKind::Journal:
            if (record.version != kVersion) {
                run.unusable = QStringLiteral("撤销记录的版本（%1）不是这个程序的").arg(record.version);
                return;
            }
            break;
        case RecordKind::Site:
            run.siteFolder = record.site;
            break;
        case RecordKind::Database:
            run.database = record.database;
            break;
        case RecordKind::Started:
            run.started = record.time;
            break;
        case RecordKind::Students:
            run.plannedStudents = record.students;
            break;
        case RecordKind::Intent: {
            if (!record.wellFormed) {
                run.problems << LineProblem(number, QStringLiteral("不是撤销记录能有的内容"));
                break;
            }
            JournalEntry entry;
            entry.line = record.line;
            entry.code = record.code;
            entry.damage = IntentProblem(record);
            if (entry.damage.isEmpty()) {
                entry.oldFile = ParseOldFile(record.oldFile);
                entry.oldPhoto = ParseOldPhoto(record.oldPhoto);
            }
            entry.newFileHash = record.newFileHash;
            entry.newPhoto = record.newPhoto;
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
            break;
        }
        case RecordKind::Done:
            if (JournalEntry* entry = entryFor(record))
                entry->done = true;
            break;
        case RecordKind::Undone:
            if (JournalEntry* entry = entryFor(record))
                entry->undone = true;
            break;
        case RecordKind::Finished:
            run.state =
                record.ending == RunEnding::Completed ? JournaledRun::State::Complete : JournaledRun::State::Failed;
            run.studentsNotSet = record.studentsNotSet;
            break;
        case RecordKind::UndoFinished:
            run.undone = true;
            break;
        case RecordKind::Unknown:
            run.problems << LineProblem(number, QStringLiteral("不是撤销记录能有的内容"));
            break;
        }
    }
    if (lines.size() < qsizetype(std::size(kHeadKinds)))
        run.unusable = QStringLiteral("撤销记录不完整");
    run.lastChain = chain;
}

JournaledRun ReadRun(const FolderHandle& site, const QString& siteFolder, const QString& id)
{
    JournaledRun run;
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

FileHandle OpenOldPhotos(const JournaledRun& run)
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

QList<JournaledRun> JournalRuns(const JournalStore& store, const SiteIdentity& siteIdentity)
{
    QList<JournaledRun> runs;
    FolderHandle site;
    try {
        site = store.OpenSiteJournals(siteIdentity, JournalsFolder::MustExist);
    } catch (const EJournalError&) {
        // No journal yet, or one that is not where it should be: nothing to undo.
        return runs;
    }
    const QRegularExpression runId(QStringLiteral(R"(^\d{8}-\d{6}(-\d{4})?$)"));
    const QDir siteFolder(store.SiteFolder(siteIdentity));
    for (const QString& id : siteFolder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name)) {
        if (runId.match(id).hasMatch())
            runs << ReadRun(site, siteFolder.path(), id);
    }
    return runs;
}

void CheckOldPhotos(JournaledRun& run)
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

QByteArray ReadOldPhoto(const JournaledRun& run, const JournalEntry::SavedFile& saved)
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

QStringList PrunedRuns(const JournalStore& store, const SiteIdentity& siteIdentity)
{
    QStringList pruned;
    try {
        const FolderHandle site = store.OpenSiteJournals(siteIdentity, JournalsFolder::MustExist);
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

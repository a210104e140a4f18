#include "assignment/run/UndoRun.h"

#include "assignment/journal/JournalReader.h"
#include "assignment/journal/JournalStore.h"
#include "assignment/journal/JournalWriter.h"
#include "assignment/journal/SiteLock.h"
#include "assignment/plan/RunMessages.h"
#include "assignment/run/AssignmentRun.h"
#include "assignment/site/SiteConfig.h"
#include "assignment/site/SiteIdentity.h"
#include "assignment/site/StudentPhotoFile.h"
#include "assignment/site/StudentRows.h"
#include "files/PhotoHash.h"
#include "files/ReplaceFile.h"
#include "files/SystemErrorText.h"
#include "platform/database/TADOQuery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <stdexcept>

namespace {

constexpr std::uint64_t kMaxPhotoBytes = std::uint64_t{256} << 20;
constexpr qsizetype kDamageShown = 10;

struct PresentFile {
    bool exists = false;
    bool regular = true;
    QByteArray hash;
    std::optional<EntryFacts> facts;
};

// The photo file as it is now, read through the handle that was checked.
PresentFile LookAt(const FolderHandle& folder, const QString& name)
{
    PresentFile present;
    std::error_code error;
    const EntryFacts facts = folder.Look(NativeName(name), error);
    present.exists = facts.kind != EntryFacts::Kind::Missing;
    if (error || !present.exists)
        return present;
    FileHandle file = folder.OpenForReading(NativeName(name), error);
    present.regular = error != FileRule::NotRegular;
    if (!present.regular)
        return present;
    const QByteArray bytes = error ? QByteArray() : QByteArray::fromStdString(file.ReadAll(kMaxPhotoBytes, error));
    if (!error)
        present.facts = file.Facts(error);
    if (error)
        throw std::runtime_error(
            QStringLiteral("无法读取 %1：%2")
                .arg(QDir::toNativeSeparators(QDir(PathText(folder.Path())).filePath(name)), SystemErrorText(error))
                .toStdString());
    present.hash = PhotoHash(bytes);
    return present;
}

StudentNow NowOf(const PresentFile& file, const std::optional<QVariant>& photo)
{
    StudentNow now;
    now.file = !file.regular ? StudentNow::File::NotRegular
               : file.exists ? StudentNow::File::Regular
                             : StudentNow::File::Missing;
    now.fileHash = file.hash;
    now.photo = photo;
    return now;
}

JournaledStudent JournaledOf(const JournalEntry& entry)
{
    return JournaledStudent{entry.oldFile ? std::optional(entry.oldFile->hash) : std::nullopt, entry.newFileHash,
                            entry.oldPhoto, entry.newPhoto};
}

void RestoreFile(const FolderHandle& folder, const QString& name, const std::optional<QByteArray>& old,
                 const PresentFile& present)
{
    if (!old) {
        std::error_code error;
        folder.Remove(NativeName(name), error);
        if (error)
            throw std::runtime_error(
                QStringLiteral("无法删除 %1：%2")
                    .arg(QDir::toNativeSeparators(QDir(PathText(folder.Path())).filePath(name)), SystemErrorText(error))
                    .toStdString());
        return;
    }
    ReplaceFile(folder, name, *old, present.facts);
}

// The damage listed shortly, for a message box.
QString DamageText(const QStringList& damage)
{
    QStringList shown = damage.mid(0, kDamageShown);
    if (damage.size() > kDamageShown)
        shown << QStringLiteral("等 %1 处").arg(damage.size());
    return shown.join(u'\n');
}

UndoOutcome Refused(const QString& message)
{
    UndoOutcome outcome;
    outcome.message = message;
    return outcome;
}

} // namespace

std::optional<JournaledRun> FindRunToUndo(const JournalStore& store, const SiteIdentity& site, const QString& id)
{
    const QList<JournaledRun> runs = JournalRuns(store, site);
    for (auto run = runs.crbegin(); run != runs.crend(); ++run) {
        if (id.isEmpty() ? !run->undone : run->id == id)
            return *run;
    }
    return std::nullopt;
}

QString RunSummary(const JournaledRun& run)
{
    QList<StudentNote> students;
    for (const JournalEntry& entry : run.EntriesToUndo())
        students << StudentNote{entry.line, entry.code, {}};
    return QStringLiteral("%1 的设置（%2）：%3 名学生%4")
        .arg(run.StartedText(), run.StateText())
        .arg(students.size())
        .arg(students.isEmpty() ? QString() : QStringLiteral("，") + ShortCodeList(students));
}

UndoOutcome UndoRun(const JournalStore& store, const JournaledRun& chosen, const QString& installationFolder,
                    TADOQuery& query, UndoMode mode,
                    const std::function<void(qsizetype done, qsizetype students)>& progress)
{
    const SiteIdentity site = IdentifySite(installationFolder);
    SiteLock lock;
    try {
        lock = SiteLock::Take(store, site);
    } catch (const std::exception& error) {
        return Refused(QString::fromStdString(error.what()));
    }
    // The journal as it is now that no other run or undo can change it.
    std::optional<JournaledRun> found = FindRunToUndo(store, site, chosen.id);
    if (!found)
        return Refused(QStringLiteral("没有编号为 %1 的设置记录。").arg(chosen.id));
    JournaledRun run = std::move(*found);
    if (run.entries.isEmpty() && run.undone)
        return Refused(QStringLiteral("%1 的设置已经撤销过了。").arg(run.StartedText()));
    if (!run.unusable.isEmpty())
        return Refused(QStringLiteral("%1 的撤销记录无法使用，没有撤销任何内容：\n%2").arg(run.id, run.unusable));
    CheckOldPhotos(run);
    if (const QStringList damage = run.Damage(); !damage.isEmpty() && mode != UndoMode::Force) {
        UndoOutcome refused = Refused(QStringLiteral("%1 的撤销记录已损坏，没有撤销任何内容：\n%2\n"
                                                     "强制撤销（--force）会跳过记录损坏的学生，只恢复其余学生。")
                                          .arg(run.StartedText(), DamageText(damage)));
        refused.details = damage.join(u'\n');
        return refused;
    }

    UndoOutcome outcome;
    QList<JournalEntry> entries;
    for (const JournalEntry& entry : run.EntriesToUndo()) {
        if (entry.damage.isEmpty())
            entries << entry;
        else
            outcome.damaged << StudentNote{entry.line, entry.code, entry.damage};
    }
    try {
        // One reading of Web.config for the check and the connection.
        const ConnectionSettings settings = SiteConnectionSettings(installationFolder);
        const QString database = DatabaseName(settings);
        if (database != run.database) {
            return Refused(
                QStringLiteral("%1 的设置写入的是数据库“%2”，网站的 Web.config 现在指向“%3”；没有撤销任何内容。")
                    .arg(run.StartedText(), run.database, database));
        }
        OpenSiteDatabase(query, BuildConnectionString(settings), DatabaseOfWebConfig(installationFolder, settings));
        QStringList codes;
        for (const JournalEntry& entry : entries)
            codes << entry.code;
        const QHash<QString, StudentRow> rows = ReadStudentRows(query, codes);
        const std::unique_ptr<JournalWriter> journal = JournalWriter::Reopen(run);
        const FolderHandle photoFolder = OpenPhotoFolder(installationFolder);

        qsizetype done = 0;
        const auto lookedAt = [&] {
            if (progress)
                progress(++done, entries.size());
        };
        for (auto entry = entries.crbegin(); entry != entries.crend(); ++entry) {
            const QString name = StudentPhotoFileName(entry->code);
            const PresentFile file = LookAt(photoFolder, name);
            const auto row = rows.constFind(entry->code);
            const UndoStep step = DecideUndo(
                JournaledOf(*entry), NowOf(file, row != rows.cend() ? std::optional(row->photo) : std::nullopt), mode);
            if (!step.leftAlone.isEmpty()) {
                outcome.leftAlone << StudentNote{entry->line, entry->code, step.leftAlone};
                lookedAt();
                continue;
            }
            if (step.putBackFile) {
                RestoreFile(photoFolder, name,
                            entry->oldFile ? std::optional(ReadOldPhoto(run, *entry->oldFile)) : std::nullopt, file);
            }
            if (step.putBackPhoto)
                WritePhotoColumn(query, entry->code, *entry->oldPhoto);
            journal->Undone(*entry);
            if (step.putBackFile || step.putBackPhoto)
                outcome.restored << StudentNote{entry->line, entry->code, {}};
            lookedAt();
        }
        query.Close();
        if (outcome.leftAlone.isEmpty() && outcome.damaged.isEmpty())
            journal->UndoFinished();
        else
            journal->Sync();
    } catch (const std::exception& error) {
        query.Close();
        outcome.result = UndoOutcome::Result::Failed;
        outcome.message = QStringLiteral("撤销没有完成：%1\n已恢复 %2 名学生；再次撤销会接着恢复其余学生。")
                              .arg(QString::fromStdString(error.what()))
                              .arg(outcome.restored.size());
        outcome.details = StudentLines(outcome.restored);
        return outcome;
    }

    outcome.result = UndoOutcome::Result::Completed;
    std::reverse(outcome.restored.begin(), outcome.restored.end());
    std::reverse(outcome.leftAlone.begin(), outcome.leftAlone.end());
    outcome.message = QStringLiteral("已撤销 %1 的设置：%2 名学生恢复了原来的照片和记录。")
                          .arg(run.StartedText())
                          .arg(outcome.restored.size());
    QStringList details;
    if (!outcome.leftAlone.isEmpty()) {
        outcome.message +=
            QStringLiteral("\n\n%1 名学生在那次设置之后又有改动，没有恢复：").arg(outcome.leftAlone.size())
            + ShortCodeList(outcome.leftAlone);
        details << QStringLiteral("没有恢复：\n") + StudentLines(outcome.leftAlone);
    }
    if (!outcome.damaged.isEmpty()) {
        outcome.message += QStringLiteral("\n\n%1 名学生的撤销记录已损坏，跳过了：").arg(outcome.damaged.size())
                           + ShortCodeList(outcome.damaged);
        details << QStringLiteral("记录损坏，跳过：\n") + StudentLines(outcome.damaged);
    }
    if (!run.problems.isEmpty())
        outcome.message += QStringLiteral("\n\n撤销记录中另有损坏：\n") + DamageText(run.problems);
    if (!outcome.restored.isEmpty())
        details << QStringLiteral("已恢复：\n") + StudentLines(outcome.restored);
    outcome.details = details.join(QStringLiteral("\n\n"));
    return outcome;
}

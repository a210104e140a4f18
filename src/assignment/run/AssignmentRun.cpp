#include "assignment/run/AssignmentRun.h"

#include "assignment/journal/JournalPruning.h"
#include "assignment/journal/JournalWriter.h"
#include "assignment/journal/SiteLock.h"
#include "assignment/plan/AssignmentPlan.h"
#include "assignment/plan/RunMessages.h"
#include "assignment/site/SiteConfig.h"
#include "assignment/site/SiteIdentity.h"
#include "assignment/site/StudentPhotoFile.h"
#include "assignment/site/StudentRows.h"
#include "files/FileSystemPath.h"
#include "files/PhotoHash.h"
#include "files/RegularFile.h"
#include "files/ReplaceFile.h"
#include "files/SystemErrorText.h"
#include "platform/database/TADOQuery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace {

using namespace AssignmentMessages;

// The journal is forced to disk once per batch of students rather than once
// per student; the photos of a batch are held in memory meanwhile.
constexpr qsizetype kBatchStudents = 128;
constexpr qint64 kBatchBytes = 32 << 20;

// One student of a batch, read and journaled, ready to be changed.
struct Prepared {
    const PlanRow* row = nullptr;
    QByteArray photo;
    JournalEntry entry;
    QString notCopiedReason; // set: the student is passed over
    bool changedSincePlan = false;
    std::optional<EntryFacts> replaced; // the destination as it was read
    std::optional<QByteArray> oldPhoto; // and its bytes
};

// The photo folder and the callbacks every student's copy uses.
struct Site {
    FolderHandle photoFolder;
    const RunSettings& settings;
};

QString DestinationName(const PlanRow& row)
{
    return StudentPhotoFileName(row.code);
}

// No portrait photo is anywhere near this large; reading stops there.
constexpr qint64 kMaxPhotoBytes = qint64{256} << 20;

// Reads a regular file whole, never waiting on a named pipe; the reason it
// cannot, in `problem`.
std::optional<QByteArray> ReadPhotoFile(const QString& path, QString& problem)
{
    if (!QFileInfo::exists(path)) {
        problem = QStringLiteral("文件不存在");
        return std::nullopt;
    }
    try {
        return ReadRegularFile(path, kMaxPhotoBytes);
    } catch (const EFileAccessError& error) {
        problem = QString::fromStdString(error.what());
        return std::nullopt;
    }
}

// The destination's present bytes, read through the handle that was
// checked to be a regular file; nothing when there is no file. A link, a
// folder or a pipe there is never opened: `problem` says so.
std::optional<QByteArray> ReadDestination(Prepared& student, const Site& site, QString& problem)
{
    const PlanRow& row = *student.row;
    const std::string name = NativeName(DestinationName(row));
    std::error_code error;
    const EntryFacts facts = site.photoFolder.Look(name, error);
    if (!error && facts.kind == EntryFacts::Kind::Missing)
        return std::nullopt;
    if (site.settings.beforeOpeningDestination)
        site.settings.beforeOpeningDestination(row.destination);
    FileHandle file = error ? FileHandle() : site.photoFolder.OpenForReading(name, error);
    std::optional<QByteArray> bytes;
    if (!error)
        bytes = QByteArray::fromStdString(file.ReadAll(std::uint64_t(kMaxPhotoBytes), error));
    if (!error)
        student.replaced = file.Facts(error);
    if (error) {
        problem = error == FileRule::NotRegular
                      ? QStringLiteral("目标 %1 不是普通文件，没有替换").arg(QDir::toNativeSeparators(row.destination))
                      : QStringLiteral("原有照片无法读取（%1），没有替换").arg(SystemErrorText(error));
    }
    return bytes;
}

void PrepareStudent(Prepared& student, const QHash<QString, StudentRow>& students, const Site& site,
                    JournalWriter* journal)
{
    const PlanRow& row = *student.row;
    // What the plan found no picture in is never installed as a student's
    // photo: the site would show a broken image in place of a good one.
    if (row.photo.kind == PhotoFacts::Kind::Unreadable) {
        student.notCopiedReason = QStringLiteral("图片 %1 无法读取（%2）").arg(row.photoName, row.photo.problem);
        return;
    }
    QString problem;
    const std::optional<QByteArray> photo = ReadPhotoFile(row.source, problem);
    if (!photo) {
        student.notCopiedReason = QStringLiteral("图片 %1 无法读取（%2）").arg(row.photoName, problem);
        return;
    }
    // What was shown is what is written.
    if (PhotoHash(*photo) != row.photo.contentHash) {
        student.changedSincePlan = true;
        student.notCopiedReason = row.photo.contentHash.isEmpty()
                                      ? QStringLiteral("图片 %1 在核对时无法读取，没有写入").arg(row.photoName)
                                      : QStringLiteral("图片 %1 在核对之后被改动过，没有写入").arg(row.photoName);
        return;
    }
    student.photo = *photo;

    student.oldPhoto = ReadDestination(student, site, problem);
    const std::optional<QByteArray>& oldFile = student.oldPhoto;
    if (!problem.isEmpty()) {
        student.notCopiedReason = problem;
        return;
    }
    if (!journal)
        return;
    student.entry.line = row.line;
    student.entry.code = row.code;
    if (const auto found = students.constFind(row.code); found != students.cend())
        student.entry.oldPhoto = found->photo;
    student.entry.newFileHash = PhotoHash(student.photo);
    student.entry.newPhoto = StudentPhotoWebPath(row.code);
    journal->Intend(student.entry, oldFile);
}

// Reads the photos of the next batch and journals what they replace.
QList<Prepared> PrepareBatch(const AssignmentPlan& plan, qsizetype& next, TADOQuery& query, const Site& site,
                             JournalWriter* journal)
{
    QList<Prepared> batch;
    qint64 bytes = 0;
    while (next < plan.rows.size() && batch.size() < kBatchStudents && bytes < kBatchBytes) {
        batch << Prepared{&plan.rows[next++], {}, {}, {}, false, {}, {}};
        bytes += QFileInfo(batch.last().row->source).size();
    }
    QHash<QString, StudentRow> students;
    if (journal) {
        QStringList codes;
        for (const Prepared& student : std::as_const(batch))
            codes << student.row->code;
        // The values as they are now, not as the plan saw them a while ago.
        students = ReadStudentRows(query, codes);
    }
    for (Prepared& student : batch)
        PrepareStudent(student, students, site, journal);
    if (journal)
        journal->Sync();
    return batch;
}

// What became of a student's photo that could not be put in place.
struct NotWritten {
    QString reason; // empty: the photo is in place
    enum class OldPhoto { Kept, PutBack, Lost } oldPhoto = OldPhoto::Kept;
};

// Puts the photo in place. When the replacement took the old photo away and
// left nothing (something swapped in under the new file's name went in
// place of the new file and was removed again), the old photo is put back
// from the bytes read before: the student keeps the photo they had, and
// the run has changed nothing an undo would have to mend.
NotWritten WritePhoto(const Prepared& student, const Site& site)
{
    const QString name = DestinationName(*student.row);
    try {
        ReplaceFile(site.photoFolder, name, student.photo, student.replaced, site.settings.newFileName,
                    site.settings.beforeRename);
        return {};
    } catch (const EDestinationLost& error) {
        const QString reason = QString::fromStdString(error.what());
        if (!student.oldPhoto)
            return {reason};
        try {
            ReplaceFile(site.photoFolder, name, *student.oldPhoto, student.replaced);
        } catch (const EReplaceFileError& again) {
            // The journal holds the old photo: an undo puts it back.
            const bool journaled = student.entry.line != 0;
            return {QStringLiteral("%1；原有照片已被删除，也未能放回（%2）%3")
                        .arg(reason, QString::fromStdString(again.what()),
                             journaled ? QStringLiteral("，强制撤销（--force）可以从撤销记录恢复它") : QString()),
                    NotWritten::OldPhoto::Lost};
        }
        return {reason + QStringLiteral("；原有照片已放回"), NotWritten::OldPhoto::PutBack};
    } catch (const EReplaceFileError& error) {
        return {QString::fromStdString(error.what())};
    }
}

StudentNote NoteOf(const PlanRow& row, const QString& reason = {})
{
    return StudentNote{row.line, row.code, reason};
}

// The causes of the students' failed copies, as the system told them (the
// text after a reason's last "：", where a file operation failed), each
// once, for the message itself: "（原因：没有权限（Permission denied））".
// The details still give each student's reason.
QString CausesText(const QList<StudentNote>& students)
{
    constexpr qsizetype kCausesShown = 3;
    QStringList causes;
    for (const StudentNote& student : students) {
        if (!student.reason.contains(u'：'))
            continue;
        const QString cause = student.reason.section(u'：', -1).trimmed();
        if (!cause.isEmpty() && !causes.contains(cause))
            causes << cause;
    }
    if (causes.isEmpty())
        return {};
    const bool more = causes.size() > kCausesShown;
    causes = causes.mid(0, kCausesShown);
    return QStringLiteral("（原因：%1%2）")
        .arg(causes.join(QStringLiteral("；")), more ? QStringLiteral("等") : QString());
}

QString NotSetSections(const AssignmentOutcome& outcome)
{
    QStringList sections;
    if (!outcome.changedSincePlan.isEmpty())
        sections << QStringLiteral("图片在核对之后被改动过，没有复制，数据库中的记录未改动（%1 名）：")
                            .arg(outcome.changedSincePlan.size())
                        + ShortCodeList(outcome.changedSincePlan);
    if (!outcome.notCopied.isEmpty())
        sections << QStringLiteral("图片未能复制，数据库中的记录未改动（%1 名）：").arg(outcome.notCopied.size())
                        + ShortCodeList(outcome.notCopied) + CausesText(outcome.notCopied);
    if (!outcome.oldPhotoPutBack.isEmpty())
        sections << QStringLiteral("其中 %1 名学生的原有照片在复制时被删除，已放回原处：")
                            .arg(outcome.oldPhotoPutBack.size())
                        + ShortCodeList(outcome.oldPhotoPutBack);
    if (!outcome.oldPhotoLost.isEmpty())
        sections
            << QStringLiteral("其中 %1 名学生的原有照片在复制时被删除，未能放回：").arg(outcome.oldPhotoLost.size())
                   + ShortCodeList(outcome.oldPhotoLost);
    if (!outcome.noRowChanged.isEmpty())
        sections << QStringLiteral("数据库中没有这些学籍号的学生，图片已复制但没有记录被更新（%1 名）：")
                            .arg(outcome.noRowChanged.size())
                        + ShortCodeList(outcome.noRowChanged);
    return sections.join(QStringLiteral("\n"));
}

QString NotSetDetails(const AssignmentOutcome& outcome)
{
    QStringList details;
    if (!outcome.changedSincePlan.isEmpty())
        details << QStringLiteral("图片在核对之后被改动过：\n") + StudentLines(outcome.changedSincePlan);
    if (!outcome.notCopied.isEmpty())
        details << QStringLiteral("图片未能复制：\n") + StudentLines(outcome.notCopied);
    if (!outcome.noRowChanged.isEmpty())
        details << QStringLiteral("数据库中没有对应的学生：\n") + StudentLines(outcome.noRowChanged);
    return details.join(QStringLiteral("\n\n"));
}

void Complete(AssignmentOutcome& outcome)
{
    outcome.result = AssignmentOutcome::Result::Completed;
    if (outcome.EverythingSet()) {
        outcome.message = kDone;
        outcome.statusText = kDoneStatus;
        return;
    }
    // "完成" only when every student was set: the count of those who were
    // not comes first, as on the status panel.
    const qsizetype notSet = outcome.NotSetCount();
    outcome.message = QStringLiteral("%1 名学生没有设置照片。").arg(notSet)
                      + (outcome.studentsSet > 0
                             ? QStringLiteral("其余 %1 名学生的照片已设置，请重新启动IIS。").arg(outcome.studentsSet)
                             : QString())
                      + QStringLiteral("\n\n") + NotSetSections(outcome);
    outcome.details = NotSetDetails(outcome);
    outcome.statusText = QStringLiteral("%1 名学生未设置").arg(notSet);
}

void Fail(AssignmentOutcome& outcome, const QString& reason, qsizetype students, bool journaled)
{
    AssignmentOutcome failed = Failure(reason);
    failed.notCopied = outcome.notCopied;
    failed.changedSincePlan = outcome.changedSincePlan;
    failed.noRowChanged = outcome.noRowChanged;
    failed.copiedWithoutRow = outcome.copiedWithoutRow;
    failed.studentsDone = outcome.studentsDone;
    failed.studentsSet = outcome.studentsSet;
    failed.runId = outcome.runId;
    QStringList progress{QStringLiteral("已处理 %1 名学生（共 %2 名），其中 %3 名已设置好照片；其余学生没有改动。")
                             .arg(outcome.studentsDone)
                             .arg(students)
                             .arg(outcome.studentsSet)};
    if (outcome.copiedWithoutRow) {
        progress << QStringLiteral("第 %1 行学生 %2 的照片已复制，但数据库中的记录没有写入。")
                        .arg(outcome.copiedWithoutRow->line)
                        .arg(ShownCode(outcome.copiedWithoutRow->code));
    }
    if (const QString notSet = NotSetSections(outcome); !notSet.isEmpty())
        progress << notSet;
    if (journaled)
        progress << QStringLiteral("这次设置已记入撤销记录，可以撤销。");
    failed.message += QStringLiteral("\n\n") + progress.join(u'\n');
    failed.details = NotSetDetails(outcome);
    outcome = std::move(failed);
}

} // namespace

AssignmentOutcome RunAssignment(const AssignmentPlan& plan, TADOQuery& query, const RunSettings& settings)
{
    AssignmentOutcome outcome;
    std::unique_ptr<JournalWriter> journal;
    SiteLock lock;
    QString lockFailure;
    if (settings.journal && !plan.rows.isEmpty()) {
        try {
            lock = SiteLock::Take(*settings.journal, plan.site);
        } catch (const ESiteBusy& busy) {
            return Refusal(QString::fromStdString(busy.what()));
        } catch (const ESiteLockUnusable& unusable) {
            return Refusal(QString::fromStdString(unusable.what()));
        } catch (const EJournalError& error) {
            // Without a journal folder there is no journal either: the run
            // asks below whether to go on without one.
            lockFailure = QString::fromStdString(error.what());
        }
    }
    bool started = false;
    try {
        const Site site{OpenPhotoFolder(plan.installationFolder), settings};
        const ConnectionSettings connection = SiteConnectionSettings(plan.installationFolder);
        const QString connectionString = BuildConnectionString(connection);
        if (connectionString != plan.connectionString)
            throw std::runtime_error("网站的 Web.config 在核对之后改变了，请重新设置");
        OpenSiteDatabase(query, connectionString, DatabaseOfWebConfig(plan.installationFolder, connection));
        // A run of no students changes nothing and has nothing to undo.
        if (settings.journal && !plan.rows.isEmpty()) {
            try {
                // A journal is written only under the lock: one written
                // beside another run's would undo a mix of both.
                if (!lockFailure.isEmpty())
                    throw EJournalError(lockFailure.toStdString());
                journal = JournalWriter::Begin(*settings.journal, plan.site, plan.database, plan.rows.size());
                outcome.runId = journal->Id();
            } catch (const EJournalError& error) {
                const QString reason = QString::fromStdString(error.what());
                if (!settings.continueWithoutJournal || !settings.continueWithoutJournal(reason))
                    throw EJournalError(QStringLiteral("无法建立撤销记录（%1）").arg(reason).toStdString());
            }
        }
        started = true;

        for (qsizetype next = 0; next < plan.rows.size();) {
            const QList<Prepared> batch = PrepareBatch(plan, next, query, site, journal.get());
            for (const Prepared& student : batch) {
                const PlanRow& row = *student.row;
                QString reason = student.notCopiedReason;
                if (reason.isEmpty()) {
                    const NotWritten notWritten = WritePhoto(student, site);
                    reason = notWritten.reason;
                    if (notWritten.oldPhoto == NotWritten::OldPhoto::PutBack)
                        outcome.oldPhotoPutBack << NoteOf(row);
                    else if (notWritten.oldPhoto == NotWritten::OldPhoto::Lost)
                        outcome.oldPhotoLost << NoteOf(row);
                }
                if (!reason.isEmpty()) {
                    (student.changedSincePlan ? outcome.changedSincePlan : outcome.notCopied) << NoteOf(row, reason);
                    if (journal && student.entry.line != 0)
                        journal->Done(student.entry, PhotoCopy::NotCopied, 0);
                } else {
                    outcome.copiedWithoutRow = NoteOf(row);
                    const qsizetype rowsChanged = WritePhotoColumn(query, row.code, StudentPhotoWebPath(row.code));
                    outcome.copiedWithoutRow.reset();
                    if (rowsChanged == 0)
                        outcome.noRowChanged << NoteOf(row);
                    else
                        ++outcome.studentsSet;
                    if (journal)
                        journal->Done(student.entry, PhotoCopy::Copied, rowsChanged);
                }
                outcome.studentsDone += 1;
                if (settings.progress)
                    settings.progress(outcome.studentsDone);
            }
        }
        query.Close();
        if (journal)
            journal->Finish(RunEnding::Completed, outcome.studentsSet, plan.rows.size() - outcome.studentsSet);
    } catch (const std::exception& error) {
        query.Close();
        if (journal) {
            try {
                journal->Finish(RunEnding::Failed, outcome.studentsSet, plan.rows.size() - outcome.studentsSet);
            } catch (const EJournalError&) {
                // The journal as it stands still undoes the run: it only
                // lacks the word that the run ended.
            }
        }
        const QString reason = QString::fromStdString(error.what());
        if (started)
            Fail(outcome, reason, plan.rows.size(), journal != nullptr);
        else
            outcome = Failure(reason);
    }

    if (outcome.result != AssignmentOutcome::Result::Failed)
        Complete(outcome);
    if (journal) {
        outcome.prunedRuns = PruneJournals(*settings.journal, journal->Id(), plan.site.journalName);
        if (!outcome.prunedRuns.isEmpty()) {
            outcome.message += QStringLiteral("\n\n以下较早的设置记录已删除，不能再撤销：")
                               + outcome.prunedRuns.join(QStringLiteral("、"));
        }
    }
    return outcome;
}

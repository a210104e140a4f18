#include "assignment/AssignmentRun.h"

#include "assignment/AssignmentPlan.h"
#include "assignment/JournalPruning.h"
#include "assignment/PhotoHash.h"
#include "assignment/ReplaceFile.h"
#include "assignment/RunJournal.h"
#include "assignment/RunMessages.h"
#include "assignment/SiteConfig.h"
#include "assignment/StudentRows.h"
#include "files/RegularFile.h"
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
};

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

void PrepareStudent(Prepared& student, const QHash<QString, StudentRow>& students, RunJournal* journal)
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
    student.photo = *photo;

    // A link or a folder planted at the destination would lead the copy
    // elsewhere; only a regular file is ever replaced.
    const QFileInfo destination(row.destination);
    if (destination.isSymLink() || (destination.exists() && !destination.isFile())) {
        student.notCopiedReason =
            QStringLiteral("目标 %1 不是普通文件，没有替换").arg(QDir::toNativeSeparators(row.destination));
        return;
    }
    if (!journal)
        return;
    std::optional<QByteArray> oldFile;
    if (destination.exists()) {
        oldFile = ReadPhotoFile(row.destination, problem);
        if (!oldFile) {
            student.notCopiedReason = QStringLiteral("原有照片无法读取（%1），没有替换").arg(problem);
            return;
        }
    }
    student.entry.line = row.line;
    student.entry.code = row.code;
    if (const auto found = students.constFind(row.code); found != students.cend())
        student.entry.oldPhoto = found->photo;
    student.entry.newFileHash = PhotoHash(student.photo);
    student.entry.newPhoto = PhotoWebPath(row.code);
    journal->Intend(student.entry, oldFile);
}

// Reads the photos of the next batch and journals what they replace.
QList<Prepared> PrepareBatch(const AssignmentPlan& plan, qsizetype& next, TADOQuery& query, RunJournal* journal)
{
    QList<Prepared> batch;
    qint64 bytes = 0;
    while (next < plan.rows.size() && batch.size() < kBatchStudents && bytes < kBatchBytes) {
        batch << Prepared{&plan.rows[next++], {}, {}, {}};
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
        PrepareStudent(student, students, journal);
    if (journal)
        journal->Sync();
    return batch;
}

// Puts the photo in place; the error, or nothing.
QString WritePhoto(const QString& destination, const QByteArray& bytes, const NewFileName& newFileName)
{
    try {
        ReplaceFile(destination, bytes, newFileName);
    } catch (const EReplaceFileError& error) {
        return QString::fromStdString(error.what());
    }
    return {};
}

StudentNote NoteOf(const PlanRow& row, const QString& reason = {})
{
    return StudentNote{row.line, row.code, reason};
}

QString NotSetSections(const AssignmentOutcome& outcome)
{
    QStringList sections;
    if (!outcome.notCopied.isEmpty())
        sections << QStringLiteral("图片未能复制，数据库中的记录未改动（%1 名）：").arg(outcome.notCopied.size())
                        + ShortCodeList(outcome.notCopied);
    if (!outcome.noRowChanged.isEmpty())
        sections << QStringLiteral("数据库中没有这些学籍号的学生，图片已复制但没有记录被更新（%1 名）：")
                            .arg(outcome.noRowChanged.size())
                        + ShortCodeList(outcome.noRowChanged);
    return sections.join(QStringLiteral("\n"));
}

QString NotSetDetails(const AssignmentOutcome& outcome)
{
    QStringList details;
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
    const qsizetype notSet = outcome.notCopied.size() + outcome.noRowChanged.size();
    outcome.message = QStringLiteral("%1 名学生没有设置照片。\n").arg(notSet) + kDone + QStringLiteral("\n\n")
                      + NotSetSections(outcome);
    outcome.details = NotSetDetails(outcome);
    outcome.statusText = QStringLiteral("%1 名学生未设置").arg(notSet);
}

void Fail(AssignmentOutcome& outcome, const QString& reason, qsizetype students, bool journaled)
{
    AssignmentOutcome failed = Failure(reason);
    failed.notCopied = outcome.notCopied;
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

QString PhotoWebPath(const QString& code)
{
    return QStringLiteral("/upload/StudentPhoto/") + code + QStringLiteral(".jpg");
}

AssignmentOutcome RunAssignment(const AssignmentPlan& plan, TADOQuery& query, const RunSettings& settings)
{
    AssignmentOutcome outcome;
    std::unique_ptr<RunJournal> journal;
    bool started = false;
    try {
        const QString connectionString = SiteConnectionString(plan.installationFolder);
        if (connectionString != plan.connectionString)
            throw std::runtime_error("网站的 Web.config 在核对之后改变了，请重新设置");
        OpenSiteDatabase(query, connectionString);
        // A run of no students changes nothing and has nothing to undo.
        if (settings.journal && !plan.rows.isEmpty()) {
            try {
                journal =
                    RunJournal::Begin(*settings.journal, plan.installationFolder, plan.database, plan.rows.size());
                outcome.runId = journal->Id();
            } catch (const EJournalError& error) {
                const QString reason = QString::fromStdString(error.what());
                if (!settings.continueWithoutJournal || !settings.continueWithoutJournal(reason))
                    throw EJournalError(QStringLiteral("无法建立撤销记录（%1）").arg(reason).toStdString());
            }
        }
        started = true;

        for (qsizetype next = 0; next < plan.rows.size();) {
            const QList<Prepared> batch = PrepareBatch(plan, next, query, journal.get());
            for (const Prepared& student : batch) {
                const PlanRow& row = *student.row;
                QString reason = student.notCopiedReason;
                if (reason.isEmpty())
                    reason = WritePhoto(row.destination, student.photo, settings.newFileName);
                if (!reason.isEmpty()) {
                    outcome.notCopied << NoteOf(row, reason);
                    if (journal && student.entry.line != 0)
                        journal->Done(student.entry, PhotoCopy::NotCopied, 0);
                } else {
                    outcome.copiedWithoutRow = NoteOf(row);
                    const qsizetype rowsChanged = WritePhotoColumn(query, row.code, PhotoWebPath(row.code));
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
            journal->Finish(RunEnding::Completed);
    } catch (const std::exception& error) {
        query.Close();
        if (journal) {
            try {
                journal->Finish(RunEnding::Failed);
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
        outcome.prunedRuns = PruneJournals(*settings.journal, journal->Id());
        if (!outcome.prunedRuns.isEmpty()) {
            outcome.message += QStringLiteral("\n\n以下较早的设置记录已删除，不能再撤销：")
                               + outcome.prunedRuns.join(QStringLiteral("、"));
        }
    }
    return outcome;
}

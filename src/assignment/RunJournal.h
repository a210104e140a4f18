#pragma once

#include "assignment/JournalFormat.h"
#include "assignment/JournalRun.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class JournalStore;

// Whether a student's photo was put in place; its row is written only then.
enum class PhotoCopy { NotCopied, Copied };
// How a journaled run ended.
enum class RunEnding { Completed, Failed };

// Appends to one run's journal (JournalFormat.h).
class RunJournal {
public:
    // Starts the journal of a new run. Throws EJournalError when it cannot be written.
    static std::unique_ptr<RunJournal> Begin(const JournalStore& store, const QString& installationFolder,
                                             const QString& database, qsizetype students);
    // Appends to an existing run's journal (undo marks its entries).
    static std::unique_ptr<RunJournal> Reopen(const JournalRun& run);

    ~RunJournal();
    RunJournal(const RunJournal&) = delete;
    RunJournal& operator=(const RunJournal&) = delete;

    const QString& Id() const { return id_; }

    // Keeps `oldFile` (when there was one) and writes the entry's intent
    // line. Nothing is sure to be on disk before Sync.
    void Intend(const JournalEntry& entry, const std::optional<QByteArray>& oldFile);
    void Done(const JournalEntry& entry, PhotoCopy copy, qsizetype rowsChanged);
    void Finish(RunEnding ending);
    void Undone(const JournalEntry& entry);
    void UndoFinished();
    // Forces everything written so far to disk. Throws EJournalError.
    void Sync();

private:
    RunJournal(QString id, const QString& folder);
    void Append(const QStringList& fields);

    QString id_;
    QFile lines_;
    QFile oldPhotos_;
    qint64 oldPhotosSize_ = 0; // written so far, some of it perhaps still in the buffer
};

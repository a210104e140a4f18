#pragma once

#include "assignment/journal/JournalFormat.h"
#include "assignment/journal/JournaledRun.h"
#include "files/FolderHandle.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class JournalStore;
struct SiteIdentity;

// Appends to one run's journal (JournalFormat.h).
class JournalWriter {
public:
    // Starts the journal of a new run. Throws EJournalError when it cannot be
    // written, or when the journal's folders are links that lead out of the
    // data folder.
    static std::unique_ptr<JournalWriter> Begin(const JournalStore& store, const SiteIdentity& site,
                                                const QString& database, qsizetype students);
    // Appends to an existing run's journal (undo marks its entries). The old
    // photos are left closed: an undo reads them, and on Windows a file open
    // for writing cannot be opened again for reading.
    static std::unique_ptr<JournalWriter> Reopen(const JournaledRun& run);

    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    const QString& Id() const { return id_; }

    // Keeps `oldFile` (when there was one) and writes the entry's intent
    // line. Nothing is sure to be on disk before Sync.
    void Intend(const JournalEntry& entry, const std::optional<QByteArray>& oldFile);
    void Done(const JournalEntry& entry, PhotoCopy copy, qsizetype rowsChanged);
    // How many students were set (photo copied, row written), and how many not.
    void Finish(RunEnding ending, qsizetype studentsSet, qsizetype studentsNotSet);
    void Undone(const JournalEntry& entry);
    void UndoFinished();
    // Forces everything written so far to disk. Throws EJournalError.
    void Sync();

private:
    JournalWriter(QString id, FolderHandle folder, QByteArray chain);
    void OpenOldPhotos();
    void Append(const JournalFormat::JournalRecord& record);
    [[noreturn]] void Fail(const QString& file, const std::error_code& error) const;

    QString id_;
    FolderHandle folder_;
    FileHandle lines_;
    FileHandle oldPhotos_;
    QByteArray pending_; // lines not yet written
    QByteArray chain_;   // the running hash of the last line
    qint64 oldPhotosSize_ = 0;
};

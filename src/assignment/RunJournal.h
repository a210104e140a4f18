#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>
#include <stdexcept>

// The journal of assignment runs: for every student a run changes, what was
// there before (the old photo file and the old photo column value) and what
// the run put there, so that the run can be undone, also after a crash, a
// power cut or a lost database cut it off.
//
// On disk, under the data folder (JournalStore::DefaultDataFolder):
//
//   journal/<site>/site.txt          the site's installation folder
//   journal/<site>/<run>/journal.txt one line per entry, appended, never rewritten
//   journal/<site>/<run>/old-photos.bin  the old photo files, one after another
//
// <site> is the first 16 hex digits of the SHA-256 of the canonical
// installation folder; <run> is the run's start time, yyyyMMdd-HHmmss (with
// -0002, -0003 … when two runs start within a second), so names sort by time.
// journal.txt is UTF-8; its fields are separated by a tab, and "%", tab, CR
// and LF inside a field are written %25, %09, %0D and %0A:
//
//   journal  1
//   site     <installation folder>
//   database <server / database>
//   started  <ISO 8601 time>
//   students <number of students in the plan>
//   intent   <line> <code> <old file> <old photo> <new file hash> <new photo>
//   done     <line> <code> copied|notcopied <rows changed>
//   finished <time> completed|failed
//   undone   <line> <code>
//   undo-finished <time>
//
// <old file> is "none" or "<offset>:<length>:<hash>" in old-photos.bin;
// <old photo> is "norow" (no such student), "null" or "=" and the text.
// Hashes are BLAKE2b-256 in hex (PhotoHash).
// An intent is written before the change it covers (the run writes the
// intents of a batch of students, forces them to disk, then makes the
// changes), so a journal may end after an intent whose change never
// happened; undo compares each student's present state with the states
// before and after. "done" and "undone" lines are only forced to disk with
// the next batch: one lost to a crash makes the next undo look at that
// student again and find nothing to do. A last line without its line end
// was cut off by a crash and is ignored.

// The hash by which the journal knows photo files again (hex).
QByteArray PhotoHash(const QByteArray& bytes);
QByteArray PhotoHash(QIODevice& device);

class EJournalError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct JournalLimits {
    int runsPerSite = 20;
    qint64 totalBytes = qint64(2) << 30; // all sites together
};

// One student as a run's journal holds it.
struct JournalEntry {
    struct SavedFile {
        qint64 offset = 0;
        qint64 length = 0;
        QByteArray hash; // PhotoHash
    };
    qsizetype line = 0;
    QString code;
    std::optional<SavedFile> oldFile; // nothing: there was no photo file
    // Nothing: there was no student row; a null QVariant: the column was NULL.
    std::optional<QVariant> oldPhoto;
    QByteArray newFileHash; // PhotoHash of the photo the run copies
    QString newPhoto;
    bool done = false; // the run got past this student's change
    bool undone = false;
};

struct JournalRun {
    enum class State {
        Complete, // the run went through every student
        Failed,   // the run ended on an error and said so
        CutOff,   // the journal ends without a word of the run's end
    };
    QString id;
    QString folder; // the run's journal folder
    QString siteFolder;
    QString database;
    QDateTime started;
    qsizetype plannedStudents = 0;
    State state = State::CutOff;
    QList<JournalEntry> entries;
    bool undone = false; // an undo went through every entry

    // The entries an undo still has to look at.
    QList<JournalEntry> EntriesToUndo() const;
    // "2024-01-15 10:30:12"
    QString StartedText() const;
    // "完整", "失败", "中断" or "已撤销".
    QString StateText() const;
    // Reads an old photo file back and checks it against its hash. Throws EJournalError.
    QByteArray OldFile(const JournalEntry::SavedFile& saved) const;
};

// Whether a student's photo was put in place; its row is written only then.
enum class PhotoCopy { NotCopied, Copied };
// How a journaled run ended.
enum class RunEnding { Completed, Failed };

// Appends to one run's journal.
class RunJournal {
public:
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
    friend class JournalStore;
    RunJournal(QString id, const QString& folder);
    void Append(const QStringList& fields);

    QString id_;
    QFile lines_;
    QFile oldPhotos_;
    qint64 oldPhotosSize_ = 0; // written so far, some of it perhaps still in the buffer
};

// The journals of every site under one data folder.
class JournalStore {
public:
    explicit JournalStore(QString dataFolder, JournalLimits limits = {});

    // STUDENT_PHOTO_DATA when it is set; otherwise "student-photo" in the
    // user's local data folder, shared by the window and the command line.
    static QString DefaultDataFolder();
    const QString& DataFolder() const { return dataFolder_; }

    // Starts the journal of a new run. Throws EJournalError when it cannot be written.
    std::unique_ptr<RunJournal> Begin(const QString& installationFolder, const QString& database, qsizetype students);
    // Appends to an existing run's journal (undo marks its entries).
    std::unique_ptr<RunJournal> Reopen(const JournalRun& run) const;

    // The site's runs, oldest first. A journal that cannot be read is left out.
    QList<JournalRun> Runs(const QString& installationFolder) const;

    // Removes the oldest runs beyond the limits (per site, then all sites
    // together), never `keepId`. Returns the removed runs as "time（site）".
    QStringList Prune(const QString& keepId);

private:
    QString SiteFolderFor(const QString& installationFolder) const;

    QString dataFolder_;
    JournalLimits limits_;
};

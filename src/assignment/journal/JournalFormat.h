#pragma once

#include "assignment/journal/JournaledRun.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <stdexcept>
#include <system_error>

// The journal of assignment runs: for every student a run changes, what was
// there before (the old photo file and the old photo column value) and what
// the run put there, so that the run can be undone, also after a crash, a
// power cut or a lost database cut it off. JournalWriter.h writes it,
// JournalReader.h reads it back, JournalPruning.h removes old runs.
//
// On disk, under the data folder (JournalStore::DefaultDataFolder):
//
//   journal/<site>/site.txt          the site's installation folder
//   journal/<site>/lock              held by the run or undo under way (SiteLock.h)
//   journal/<site>/pruned.txt        runs removed to make room: id, time removed
//   journal/<site>/<run>/journal.txt one line per entry, appended, never rewritten
//   journal/<site>/<run>/old-photos.bin  the old photo files, one after another
//
// <site> is the first 16 hex digits of the SHA-256 of the canonical
// installation folder (SiteIdentity::journalName); <run> is the run's start time, yyyyMMdd-HHmmss (with
// -0002, -0003 … when two runs start within a second), so names sort by time.
// journal.txt is UTF-8; its fields are separated by a tab, and "%", tab, CR
// and LF inside a field are written %25, %09, %0D and %0A. Every line ends
// with two more fields: the record's own check (the first 16 hex digits of
// the SHA-256 of the line before it) and the journal's running hash (of the
// previous line's running hash and this line's check), so that a record
// edited, removed, added or moved shows:
//
//   journal  2
//   site     <installation folder>
//   database <server / database>
//   started  <ISO 8601 time>
//   students <number of students in the plan>
//   intent   <line> <code> <old file> <old photo> <new file hash> <new photo>
//   done     <line> <code> copied|notcopied <rows changed>
//   finished <time> completed|failed <students set> <students not set>
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

// A journal could not be written, or what it keeps could not be read back.
class EJournalError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whether a student's photo was put in place; its row is written only then.
enum class PhotoCopy { NotCopied, Copied };
// How a journaled run ended.
enum class RunEnding { Completed, Failed };

// The pieces of the format above, shared by writing, reading and pruning.
namespace JournalFormat {

inline const QString kJournalsFolder = QStringLiteral("journal");
inline const QString kSiteFile = QStringLiteral("site.txt");
inline const QString kLinesFile = QStringLiteral("journal.txt");
inline const QString kOldPhotosFile = QStringLiteral("old-photos.bin");
inline const QString kLockFile = QStringLiteral("lock");
inline const QString kPrunedFile = QStringLiteral("pruned.txt");
inline const QString kVersion = QStringLiteral("2");
// Far more than the journal of the largest school's run (30,000 students
// take about 10 MiB); a larger file is not a journal of ours.
inline constexpr qint64 kMaxLinesBytes = qint64{64} << 20;
inline constexpr qint64 kMaxSmallFileBytes = qint64{64} << 10;
// A run's id is its start time in this format (and perhaps "-0002" …).
inline const QString kRunIdTime = QStringLiteral("yyyyMMdd-HHmmss");

// The kinds of line, each told by its first field ("intent", "done" …).
enum class RecordKind {
    Journal,
    Site,
    Database,
    Started,
    Students,
    Intent,
    Done,
    Finished,
    Undone,
    UndoFinished,
    Unknown, // a first field of none of the above
};
// The five lines every journal begins with, in this order.
inline constexpr RecordKind kHeadKinds[] = {RecordKind::Journal, RecordKind::Site, RecordKind::Database,
                                            RecordKind::Started, RecordKind::Students};

// One line of journal.txt by its fields' names. Each kind holds the fields
// the format above lists for it, in that order (JournalFormat.cpp keeps the
// one table of which field stands where); the others keep their defaults.
struct JournalRecord {
    RecordKind kind = RecordKind::Unknown;
    QString version = {};                  // journal
    QString site = {};                     // site: the canonical installation folder
    QString database = {};                 // database: "server / database"
    QDateTime time = {};                   // started, finished, undo-finished
    qsizetype students = 0;                // students: how many the plan held
    qsizetype line = 0;                    // intent, done, undone: the student's roster line
    QString code = {};                     // intent, done, undone
    QString oldFile = {};                  // intent: OldFileField
    QString oldPhoto = {};                 // intent: OldPhotoField
    QByteArray newFileHash = {};           // intent
    QString newPhoto = {};                 // intent
    PhotoCopy copy = PhotoCopy::NotCopied; // done
    qsizetype rowsChanged = 0;             // done
    RunEnding ending = RunEnding::Failed;  // finished
    qsizetype studentsSet = 0;             // finished
    qsizetype studentsNotSet = 0;          // finished
    // Read back: whether the line held exactly the fields of its kind, and
    // whether it names a student (its line and code), as a damaged record
    // with fields missing may still do.
    bool wellFormed = false;
    bool namesStudent = false;
};

// The fields of a line, and a line's fields by name.
QStringList FieldsOf(const JournalRecord& record);
JournalRecord RecordOf(const QStringList& fields);

// One line of journal.txt, with its checks and its line end; `chain` is the
// running hash of the line before and becomes this line's.
QByteArray Line(const QStringList& fields, QByteArray& chain);
QByteArray Line(const JournalRecord& record, QByteArray& chain);

// One line of journal.txt read back.
struct ReadRecord {
    QStringList fields;
    JournalRecord record; // the fields by name
    bool intact = false;  // its own check holds
    bool chained = false; // it follows the line before it
    QByteArray chain;     // its running hash, as written
};
// Reads one line (without its line end) that follows a line of running hash `chain`.
ReadRecord Record(const QByteArray& line, const QByteArray& chain);

// The plain fields of a small file of tab-separated lines (pruned.txt).
QByteArray PlainLine(const QStringList& fields);
QStringList Fields(const QByteArray& line);

QString OldFileField(const std::optional<JournalEntry::SavedFile>& saved);
std::optional<JournalEntry::SavedFile> ParseOldFile(const QString& field);
QString OldPhotoField(const std::optional<QVariant>& photo);
std::optional<QVariant> ParseOldPhoto(const QString& field);
// Whether a field is an <old file> or an <old photo> field as OldFileField
// and OldPhotoField write them.
bool IsOldFileField(const QString& field);
bool IsOldPhotoField(const QString& field);

// Throws EJournalError: "撤销记录 FILE WHAT：the system's reason".
[[noreturn]] void Fail(const QString& what, const QString& path, const std::error_code& error);

} // namespace JournalFormat

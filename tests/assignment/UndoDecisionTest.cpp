// What an undo does for one student, as a table: the photo file now against
// the journal's old and new file, the row's value now against the old and
// new value, with and without force.
#include "assignment/run/UndoDecision.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kOldHash = "hash of the old photo";
const QByteArray kNewHash = "hash of the run's photo";
const QByteArray kOtherHash = "hash of a photo put there since";
const QString kOldPhoto = QStringLiteral("/old/A.jpg");
const QString kNewPhoto = QStringLiteral("/upload/StudentPhoto/A.jpg");
const QString kOtherPhoto = QStringLiteral("/later/A.jpg");

const QString kFileChanged = QStringLiteral("照片文件在那次设置之后又被换过");
const QString kNotRegular = QStringLiteral("照片文件已不是普通文件");
const QString kRowChanged = QStringLiteral("数据库中的照片路径在那次设置之后又被改过");
const QString kNoRow = QStringLiteral("数据库中已没有这名学生");

// The file before the run: an old photo, or none (the run made the file).
enum class Before { OldFile, NoFile };
// The file now.
enum class File { Missing, Old, New, Other, NotRegular };
// The row before the run: a value, NULL, or no row at all.
enum class RowBefore { Value, Null, NoRow };
// The row now.
enum class Row { None, Old, New, Other, Null, Empty };

JournaledStudent Then(Before file, RowBefore row)
{
    JournaledStudent then;
    if (file == Before::OldFile)
        then.oldFileHash = kOldHash;
    then.newFileHash = kNewHash;
    if (row == RowBefore::Value)
        then.oldPhoto = QVariant(kOldPhoto);
    else if (row == RowBefore::Null)
        then.oldPhoto = QVariant();
    then.newPhoto = kNewPhoto;
    return then;
}

StudentNow Now(File file, Row row)
{
    StudentNow now;
    switch (file) {
    case File::Missing:
        now.file = StudentNow::File::Missing;
        break;
    case File::Old:
    case File::New:
    case File::Other:
        now.file = StudentNow::File::Regular;
        now.fileHash = file == File::Old ? kOldHash : file == File::New ? kNewHash : kOtherHash;
        break;
    case File::NotRegular:
        now.file = StudentNow::File::NotRegular;
        break;
    }
    switch (row) {
    case Row::None:
        break;
    case Row::Old:
        now.photo = QVariant(kOldPhoto);
        break;
    case Row::New:
        now.photo = QVariant(kNewPhoto);
        break;
    case Row::Other:
        now.photo = QVariant(kOtherPhoto);
        break;
    case Row::Null:
        now.photo = QVariant();
        break;
    case Row::Empty:
        now.photo = QVariant(QString());
        break;
    }
    return now;
}

constexpr UndoMode kLeave = UndoMode::LeaveChangedAlone;
constexpr UndoMode kForce = UndoMode::Force;

TEST(UndoDecision, PutsBackWhatTheRunLeftAndLeavesAloneWhatChangedSinceUnlessForced)
{
    const struct {
        const char* name;
        Before fileBefore;
        RowBefore rowBefore;
        File file;
        Row row;
        UndoMode mode;
        bool putBackFile;
        bool putBackPhoto;
        QString leftAlone;
    } rows[] = {
        // As the run left them: both go back.
        {"as the run left it", Before::OldFile, RowBefore::Value, File::New, Row::New, kLeave, true, true, {}},
        {"as the run left it, forced", Before::OldFile, RowBefore::Value, File::New, Row::New, kForce, true, true, {}},
        // Already back as before (an undo cut off and run again): nothing to do.
        {"already as before", Before::OldFile, RowBefore::Value, File::Old, Row::Old, kLeave, false, false, {}},
        {"file already back", Before::OldFile, RowBefore::Value, File::Old, Row::New, kLeave, false, true, {}},
        {"row already back", Before::OldFile, RowBefore::Value, File::New, Row::Old, kLeave, true, false, {}},
        // Changed since: left alone, naming what changed; forced, put back.
        {"file replaced since", Before::OldFile, RowBefore::Value, File::Other, Row::New, kLeave, false, false,
         kFileChanged},
        {"file replaced since, forced",
         Before::OldFile,
         RowBefore::Value,
         File::Other,
         Row::New,
         kForce,
         true,
         true,
         {}},
        {"file removed since", Before::OldFile, RowBefore::Value, File::Missing, Row::New, kLeave, false, false,
         kFileChanged},
        {"file removed since, forced",
         Before::OldFile,
         RowBefore::Value,
         File::Missing,
         Row::New,
         kForce,
         true,
         true,
         {}},
        {"row changed since", Before::OldFile, RowBefore::Value, File::New, Row::Other, kLeave, false, false,
         kRowChanged},
        {"row changed since, forced", Before::OldFile, RowBefore::Value, File::New, Row::Other, kForce, true, true, {}},
        {"both changed since", Before::OldFile, RowBefore::Value, File::Other, Row::Other, kLeave, false, false,
         kFileChanged + QStringLiteral("，") + kRowChanged},
        {"row gone since", Before::OldFile, RowBefore::Value, File::New, Row::None, kLeave, false, false, kNoRow},
        // Forced: the file goes back; there is no row to write.
        {"row gone since, forced", Before::OldFile, RowBefore::Value, File::New, Row::None, kForce, true, false, {}},
        {"row gone and file back", Before::OldFile, RowBefore::Value, File::Old, Row::None, kLeave, false, false,
         kNoRow},
        // No longer a regular file: never touched, not even forced.
        {"a link now", Before::OldFile, RowBefore::Value, File::NotRegular, Row::New, kLeave, false, false,
         kNotRegular},
        {"a link now, forced", Before::OldFile, RowBefore::Value, File::NotRegular, Row::New, kForce, false, false,
         kNotRegular},
        {"a link now and the row changed, forced", Before::OldFile, RowBefore::Value, File::NotRegular, Row::Other,
         kForce, false, false, kNotRegular + QStringLiteral("，") + kRowChanged},
        // The run made the file: putting back means removing it.
        {"made by the run", Before::NoFile, RowBefore::Value, File::New, Row::New, kLeave, true, true, {}},
        {"made by the run, removed since",
         Before::NoFile,
         RowBefore::Value,
         File::Missing,
         Row::New,
         kLeave,
         false,
         true,
         {}},
        {"made by the run, replaced since", Before::NoFile, RowBefore::Value, File::Other, Row::New, kLeave, false,
         false, kFileChanged},
        {"made by the run, replaced since, forced",
         Before::NoFile,
         RowBefore::Value,
         File::Other,
         Row::New,
         kForce,
         true,
         true,
         {}},
        // No row then: there is no value to go back to, whatever the row is now.
        {"no row then, none now", Before::NoFile, RowBefore::NoRow, File::New, Row::None, kLeave, true, false, {}},
        {"no row then, one added since",
         Before::NoFile,
         RowBefore::NoRow,
         File::New,
         Row::Other,
         kLeave,
         true,
         false,
         {}},
        // NULL then: NULL goes back; an empty value is not NULL.
        {"NULL then", Before::OldFile, RowBefore::Null, File::New, Row::New, kLeave, true, true, {}},
        {"NULL then and now", Before::OldFile, RowBefore::Null, File::New, Row::Null, kLeave, true, false, {}},
        {"NULL then, an empty value now", Before::OldFile, RowBefore::Null, File::New, Row::Empty, kLeave, false, false,
         kRowChanged},
        {"a value then, NULL now", Before::OldFile, RowBefore::Value, File::New, Row::Null, kLeave, false, false,
         kRowChanged},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const UndoStep step = DecideUndo(Then(row.fileBefore, row.rowBefore), Now(row.file, row.row), row.mode);
        EXPECT_EQ(step.putBackFile, row.putBackFile);
        EXPECT_EQ(step.putBackPhoto, row.putBackPhoto);
        EXPECT_EQ(step.leftAlone, row.leftAlone);
    }
}

} // namespace

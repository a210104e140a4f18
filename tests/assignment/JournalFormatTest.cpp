// The journal's lines as records with named fields: what lies on disk for
// each kind of record (journals written by earlier runs must stay readable),
// and what a line with fields missing or of no known kind reads as.
#include "assignment/journal/JournalFormat.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace JournalFormat;

namespace {

const QDateTime kTime = QDateTime::fromString(QStringLiteral("2024-01-15T10:30:12"), Qt::ISODate);

TEST(JournalFormat, EachKindOfRecordKeepsItsFieldsWhereEarlierJournalsHaveThem)
{
    const struct {
        const char* name;
        JournalRecord record;
        QStringList fields;
    } cases[] = {
        {"journal", {.kind = RecordKind::Journal, .version = kVersion}, {"journal", "2"}},
        {"site", {.kind = RecordKind::Site, .site = "/srv/site/"}, {"site", "/srv/site/"}},
        {"database", {.kind = RecordKind::Database, .database = "db1 / school"}, {"database", "db1 / school"}},
        {"started", {.kind = RecordKind::Started, .time = kTime}, {"started", "2024-01-15T10:30:12"}},
        {"students", {.kind = RecordKind::Students, .students = 30}, {"students", "30"}},
        {"intent",
         {.kind = RecordKind::Intent,
          .line = 3,
          .code = "A01",
          .oldFile = "0:12:ab",
          .oldPhoto = "=/old/A01.jpg",
          .newFileHash = "cd",
          .newPhoto = "/upload/StudentPhoto/A01.jpg"},
         {"intent", "3", "A01", "0:12:ab", "=/old/A01.jpg", "cd", "/upload/StudentPhoto/A01.jpg"}},
        {"done copied",
         {.kind = RecordKind::Done, .line = 3, .code = "A01", .copy = PhotoCopy::Copied, .rowsChanged = 1},
         {"done", "3", "A01", "copied", "1"}},
        {"done not copied",
         {.kind = RecordKind::Done, .line = 4, .code = "A02", .copy = PhotoCopy::NotCopied},
         {"done", "4", "A02", "notcopied", "0"}},
        {"finished",
         {.kind = RecordKind::Finished,
          .time = kTime,
          .ending = RunEnding::Completed,
          .studentsSet = 28,
          .studentsNotSet = 2},
         {"finished", "2024-01-15T10:30:12", "completed", "28", "2"}},
        {"finished failed",
         {.kind = RecordKind::Finished, .time = kTime, .ending = RunEnding::Failed},
         {"finished", "2024-01-15T10:30:12", "failed", "0", "0"}},
        {"undone", {.kind = RecordKind::Undone, .line = 3, .code = "A01"}, {"undone", "3", "A01"}},
        {"undo-finished", {.kind = RecordKind::UndoFinished, .time = kTime}, {"undo-finished", "2024-01-15T10:30:12"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FieldsOf(c.record), c.fields);
        // Read back through a whole line with its checks: the same fields by name.
        QByteArray chain;
        QByteArray line = Line(c.record, chain);
        line.chop(1);
        const ReadRecord read = Record(line, {});
        EXPECT_TRUE(read.intact && read.chained);
        EXPECT_TRUE(read.record.wellFormed);
        EXPECT_EQ(read.record.kind, c.record.kind);
        EXPECT_EQ(FieldsOf(read.record), c.fields);
    }
}

TEST(JournalFormat, ALineWithFieldsMissingOrOfNoKnownKindIsNotWellFormed)
{
    const JournalRecord cut = RecordOf({"intent", "7", "B02", "none"});
    EXPECT_EQ(cut.kind, RecordKind::Intent);
    EXPECT_FALSE(cut.wellFormed);
    EXPECT_TRUE(cut.namesStudent);
    EXPECT_EQ(cut.line, 7);
    EXPECT_EQ(cut.code, QStringLiteral("B02"));

    EXPECT_FALSE(RecordOf({"intent", "7"}).namesStudent);
    EXPECT_FALSE(RecordOf({"done", "7", "B02", "copied", "1", "more"}).wellFormed);
    // The head records name no student, whatever their fields.
    EXPECT_FALSE(RecordOf({"site", "7", "B02"}).namesStudent);

    const JournalRecord unknown = RecordOf({"renamed", "7", "B02"});
    EXPECT_EQ(unknown.kind, RecordKind::Unknown);
    EXPECT_FALSE(unknown.wellFormed);
}

TEST(JournalFormat, OldFileAndOldPhotoFieldsAreToldFromAnythingElse)
{
    EXPECT_TRUE(IsOldFileField(OldFileField(std::nullopt)));
    EXPECT_TRUE(IsOldFileField(OldFileField(JournalEntry::SavedFile{10, 20, "ab"})));
    EXPECT_FALSE(IsOldFileField("10:20"));
    EXPECT_FALSE(IsOldFileField("-1:20:ab"));
    for (const std::optional<QVariant>& photo :
         {std::optional<QVariant>(), std::optional(QVariant(QMetaType::fromType<QString>())),
          std::optional(QVariant(QStringLiteral("/old.jpg"))), std::optional(QVariant(QString()))}) {
        const QString field = OldPhotoField(photo);
        EXPECT_TRUE(IsOldPhotoField(field)) << field.toStdString();
        const std::optional<QVariant> back = ParseOldPhoto(field);
        ASSERT_EQ(back.has_value(), photo.has_value());
        if (back) {
            EXPECT_EQ(back->isNull(), photo->isNull());
            EXPECT_EQ(back->toString(), photo->toString());
        }
    }
    EXPECT_FALSE(IsOldPhotoField("/old.jpg"));
}

} // namespace

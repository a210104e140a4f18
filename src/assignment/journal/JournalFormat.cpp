#include "assignment/journal/JournalFormat.h"

#include "files/SystemErrorText.h"

#include <QCryptographicHash>
#include <QDir>

#include <algorithm>

namespace {

using JournalFormat::JournalRecord;
using JournalFormat::RecordKind;

QString Escape(QString field)
{
    return field.replace(u'%', QStringLiteral("%25"))
        .replace(u'\t', QStringLiteral("%09"))
        .replace(u'\r', QStringLiteral("%0D"))
        .replace(u'\n', QStringLiteral("%0A"));
}

QByteArray Check(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(16);
}

QString Unescape(const QString& field)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(field.toUtf8()));
}

// The <old file> of a student who had no photo file, and the <old photo>
// of one without a row or with a NULL value; any other old photo is "="
// and its text.
const QString kNoFile = QStringLiteral("none");
const QString kNoRow = QStringLiteral("norow");
const QString kNullPhoto = QStringLiteral("null");

// How one named field of a record is written and read back.
struct FieldCodec {
    QString (*write)(const JournalRecord& record);
    void (*read)(JournalRecord& record, const QString& text);
};

const FieldCodec kVersionField{[](const JournalRecord& r) { return r.version; },
                               [](JournalRecord& r, const QString& t) { r.version = t; }};
const FieldCodec kSiteField{[](const JournalRecord& r) { return r.site; },
                            [](JournalRecord& r, const QString& t) { r.site = t; }};
const FieldCodec kDatabaseField{[](const JournalRecord& r) { return r.database; },
                                [](JournalRecord& r, const QString& t) { r.database = t; }};
const FieldCodec kTimeField{[](const JournalRecord& r) { return r.time.toString(Qt::ISODate); },
                            [](JournalRecord& r, const QString& t) { r.time = QDateTime::fromString(t, Qt::ISODate); }};
const FieldCodec kStudentsField{[](const JournalRecord& r) { return QString::number(r.students); },
                                [](JournalRecord& r, const QString& t) { r.students = t.toLongLong(); }};
const FieldCodec kLineField{[](const JournalRecord& r) { return QString::number(r.line); },
                            [](JournalRecord& r, const QString& t) { r.line = t.toLongLong(); }};
const FieldCodec kCodeField{[](const JournalRecord& r) { return r.code; },
                            [](JournalRecord& r, const QString& t) { r.code = t; }};
const FieldCodec kOldFileField{[](const JournalRecord& r) { return r.oldFile; },
                               [](JournalRecord& r, const QString& t) { r.oldFile = t; }};
const FieldCodec kOldPhotoField{[](const JournalRecord& r) { return r.oldPhoto; },
                                [](JournalRecord& r, const QString& t) { r.oldPhoto = t; }};
const FieldCodec kNewFileHashField{[](const JournalRecord& r) { return QString::fromLatin1(r.newFileHash); },
                                   [](JournalRecord& r, const QString& t) { r.newFileHash = t.toLatin1(); }};
const FieldCodec kNewPhotoField{[](const JournalRecord& r) { return r.newPhoto; },
                                [](JournalRecord& r, const QString& t) { r.newPhoto = t; }};
const FieldCodec kCopyField{
    [](const JournalRecord& r) {
        return r.copy == PhotoCopy::Copied ? QStringLiteral("copied") : QStringLiteral("notcopied");
    },
    [](JournalRecord& r, const QString& t) { r.copy = t == u"copied" ? PhotoCopy::Copied : PhotoCopy::NotCopied; }};
const FieldCodec kRowsChangedField{[](const JournalRecord& r) { return QString::number(r.rowsChanged); },
                                   [](JournalRecord& r, const QString& t) { r.rowsChanged = t.toLongLong(); }};
const FieldCodec kEndingField{[](const JournalRecord& r) {
                                  return r.ending == RunEnding::Completed ? QStringLiteral("completed")
                                                                          : QStringLiteral("failed");
                              },
                              [](JournalRecord& r, const QString& t) {
                                  r.ending = t == u"completed" ? RunEnding::Completed : RunEnding::Failed;
                              }};
const FieldCodec kStudentsSetField{[](const JournalRecord& r) { return QString::number(r.studentsSet); },
                                   [](JournalRecord& r, const QString& t) { r.studentsSet = t.toLongLong(); }};
const FieldCodec kStudentsNotSetField{[](const JournalRecord& r) { return QString::number(r.studentsNotSet); },
                                      [](JournalRecord& r, const QString& t) { r.studentsNotSet = t.toLongLong(); }};

// Each kind of line: its first field and the fields after it, in order.
// The one place that says which field stands where, for writing and reading.
struct RecordLayout {
    RecordKind kind;
    QString name;
    QList<FieldCodec> fields;
};

// Whether a line's first fields after its kind are a student's line and code.
bool NamesStudent(const RecordLayout& layout)
{
    return layout.fields.size() >= 2 && layout.fields[0].read == kLineField.read
           && layout.fields[1].read == kCodeField.read;
}

const QList<RecordLayout> kLayouts = {
    {RecordKind::Journal, QStringLiteral("journal"), {kVersionField}},
    {RecordKind::Site, QStringLiteral("site"), {kSiteField}},
    {RecordKind::Database, QStringLiteral("database"), {kDatabaseField}},
    {RecordKind::Started, QStringLiteral("started"), {kTimeField}},
    {RecordKind::Students, QStringLiteral("students"), {kStudentsField}},
    {RecordKind::Intent,
     QStringLiteral("intent"),
     {kLineField, kCodeField, kOldFileField, kOldPhotoField, kNewFileHashField, kNewPhotoField}},
    {RecordKind::Done, QStringLiteral("done"), {kLineField, kCodeField, kCopyField, kRowsChangedField}},
    {RecordKind::Finished,
     QStringLiteral("finished"),
     {kTimeField, kEndingField, kStudentsSetField, kStudentsNotSetField}},
    {RecordKind::Undone, QStringLiteral("undone"), {kLineField, kCodeField}},
    {RecordKind::UndoFinished, QStringLiteral("undo-finished"), {kTimeField}},
};

const RecordLayout* LayoutOf(RecordKind kind)
{
    const auto found = std::find_if(kLayouts.cbegin(), kLayouts.cend(),
                                    [kind](const RecordLayout& layout) { return layout.kind == kind; });
    return found == kLayouts.cend() ? nullptr : &*found;
}

const RecordLayout* LayoutNamed(const QString& name)
{
    const auto found = std::find_if(kLayouts.cbegin(), kLayouts.cend(),
                                    [&name](const RecordLayout& layout) { return layout.name == name; });
    return found == kLayouts.cend() ? nullptr : &*found;
}

} // namespace

namespace JournalFormat {

QByteArray PlainLine(const QStringList& fields)
{
    QStringList escaped;
    for (const QString& field : fields)
        escaped << Escape(field);
    return (escaped.join(u'\t') + u'\n').toUtf8();
}

QStringList FieldsOf(const JournalRecord& record)
{
    const RecordLayout* layout = LayoutOf(record.kind);
    Q_ASSERT(layout); // only records of a known kind are written
    if (!layout)
        return {};
    QStringList fields{layout->name};
    for (const FieldCodec& field : layout->fields)
        fields << field.write(record);
    return fields;
}

JournalRecord RecordOf(const QStringList& fields)
{
    JournalRecord record;
    const RecordLayout* layout = LayoutNamed(fields.value(0));
    if (!layout)
        return record;
    record.kind = layout->kind;
    for (qsizetype i = 0; i < layout->fields.size() && i + 1 < fields.size(); ++i)
        layout->fields[i].read(record, fields[i + 1]);
    record.wellFormed = fields.size() == layout->fields.size() + 1;
    record.namesStudent = NamesStudent(*layout) && fields.size() >= 3;
    return record;
}

QByteArray Line(const JournalRecord& record, QByteArray& chain)
{
    return Line(FieldsOf(record), chain);
}

QByteArray Line(const QStringList& fields, QByteArray& chain)
{
    QByteArray line = PlainLine(fields);
    line.chop(1);
    const QByteArray check = Check(line);
    chain = Check(chain + check);
    return line + '\t' + check + '\t' + chain + '\n';
}

ReadRecord Record(const QByteArray& line, const QByteArray& chain)
{
    ReadRecord record;
    const qsizetype chainStart = line.lastIndexOf('\t');
    const qsizetype checkStart = chainStart > 0 ? line.lastIndexOf('\t', chainStart - 1) : -1;
    if (checkStart < 0) {
        record.fields = Fields(line);
        record.record = RecordOf(record.fields);
        return record;
    }
    const QByteArray content = line.left(checkStart);
    const QByteArray check = line.mid(checkStart + 1, chainStart - checkStart - 1);
    record.chain = line.mid(chainStart + 1);
    record.fields = Fields(content);
    record.record = RecordOf(record.fields);
    record.intact = Check(content) == check;
    record.chained = record.intact && Check(chain + check) == record.chain;
    return record;
}

QStringList Fields(const QByteArray& line)
{
    QStringList fields = QString::fromUtf8(line).split(u'\t');
    for (QString& field : fields)
        field = Unescape(field);
    return fields;
}

QString OldFileField(const std::optional<JournalEntry::SavedFile>& saved)
{
    if (!saved)
        return kNoFile;
    return QStringLiteral("%1:%2:%3").arg(saved->offset).arg(saved->length).arg(QString::fromLatin1(saved->hash));
}

std::optional<JournalEntry::SavedFile> ParseOldFile(const QString& field)
{
    const QStringList parts = field.split(u':');
    bool offsetRead = false;
    bool lengthRead = false;
    if (parts.size() != 3)
        return std::nullopt;
    const JournalEntry::SavedFile saved{parts[0].toLongLong(&offsetRead), parts[1].toLongLong(&lengthRead),
                                        parts[2].toLatin1()};
    if (!offsetRead || !lengthRead || saved.offset < 0 || saved.length < 0)
        return std::nullopt;
    return saved;
}

QString OldPhotoField(const std::optional<QVariant>& photo)
{
    if (!photo)
        return kNoRow;
    if (photo->isNull())
        return kNullPhoto;
    return u'=' + photo->toString();
}

std::optional<QVariant> ParseOldPhoto(const QString& field)
{
    if (field == kNoRow)
        return std::nullopt;
    if (field == kNullPhoto)
        return QVariant(QMetaType::fromType<QString>());
    return QVariant(field.mid(1));
}

bool IsOldFileField(const QString& field)
{
    return field == kNoFile || ParseOldFile(field).has_value();
}

bool IsOldPhotoField(const QString& field)
{
    return field == kNoRow || field == kNullPhoto || field.startsWith(u'=');
}

void Fail(const QString& what, const QString& path, const std::error_code& error)
{
    throw EJournalError(QStringLiteral("撤销记录 %1 %2：%3")
                            .arg(QDir::toNativeSeparators(path), what, SystemErrorText(error))
                            .toStdString());
}

} // namespace JournalFormat

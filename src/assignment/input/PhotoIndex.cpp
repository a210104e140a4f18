#include "assignment/input/PhotoIndex.h"

#include "assignment/input/Roster.h"
#include "files/RegularFile.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

[[noreturn]] void Refuse(const QString& message)
{
    throw EPhotoIndexError(message.toStdString());
}

// In the order they are preferred when a line holds several: a tab or "|"
// is never part of a code or a file name, a comma may be.
constexpr std::array<char16_t, 4> kDelimiters = {u'\t', u'|', u';', u','};

const QStringList kCodeTitles = {QStringLiteral("学籍号"),      QStringLiteral("学号"),        QStringLiteral("编号"),
                                 QStringLiteral("学生编号"),    QStringLiteral("code"),        QStringLiteral("id"),
                                 QStringLiteral("studentcode"), QStringLiteral("student code")};
const QStringList kPhotoTitles = {QStringLiteral("照片"),       QStringLiteral("图片"),      QStringLiteral("文件"),
                                  QStringLiteral("文件名"),     QStringLiteral("照片文件"),  QStringLiteral("图片文件"),
                                  QStringLiteral("照片文件名"), QStringLiteral("photo"),     QStringLiteral("file"),
                                  QStringLiteral("filename"),   QStringLiteral("file name"), QStringLiteral("picture"),
                                  QStringLiteral("image")};

bool IsBlank(const QString& line)
{
    return line.trimmed().isEmpty();
}

// The cells of one line, unquoted and trimmed. Throws for a quote left open.
QStringList SplitCells(const QString& line, char16_t delimiter, qsizetype lineNumber)
{
    QStringList cells;
    QString cell;
    bool quoted = false;
    bool wasQuoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
                cell += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == delimiter) {
            cells << (wasQuoted ? cell : cell.trimmed());
            cell.clear();
            wasQuoted = false;
        } else if (c == u'"' && cell.trimmed().isEmpty()) {
            quoted = true;
            wasQuoted = true;
            cell.clear();
        } else if (!wasQuoted || !c.isSpace()) {
            cell += c;
        }
    }
    if (quoted)
        Refuse(QStringLiteral("%1第 %2 行的引号没有配对").arg(kPhotoIndexNoun).arg(lineNumber));
    cells << (wasQuoted ? cell : cell.trimmed());
    return cells;
}

bool IsTitle(const QString& cell, const QStringList& titles)
{
    return titles.contains(cell.trimmed(), Qt::CaseInsensitive);
}

bool NamesPicture(const QString& cell)
{
    for (const char* extension : {".jpg", ".jpeg", ".bmp"}) {
        if (cell.endsWith(QLatin1String(extension), Qt::CaseInsensitive) && cell.size() > qsizetype(strlen(extension)))
            return true;
    }
    return false;
}

} // namespace

QList<PhotoIndexRow> SplitPhotoIndex(const QByteArray& bytes)
{
    QStringList lines;
    try {
        lines = SplitCheckedLines(bytes, kPhotoIndexNoun);
    } catch (const ERosterError& error) {
        throw EPhotoIndexError(error.what());
    }
    const auto first = std::find_if_not(lines.cbegin(), lines.cend(), IsBlank);
    if (first == lines.cend())
        Refuse(QStringLiteral("%1是空的").arg(kPhotoIndexNoun));
    const auto delimiter =
        std::find_if(kDelimiters.cbegin(), kDelimiters.cend(), [&](char16_t d) { return first->contains(QChar(d)); });
    if (delimiter == kDelimiters.cend()) {
        Refuse(QStringLiteral("%1第 %2 行没有分隔符：每行应是学籍号和照片文件名，用制表符、逗号、分号或 | 隔开")
                   .arg(kPhotoIndexNoun)
                   .arg(first - lines.cbegin() + 1));
    }

    struct Cells {
        qsizetype line;
        QString left;
        QString right;
    };
    QList<Cells> rows;
    for (qsizetype i = first - lines.cbegin(); i < lines.size(); ++i) {
        if (IsBlank(lines[i]))
            continue;
        const QStringList cells = SplitCells(lines[i], *delimiter, i + 1);
        if (cells.size() != 2) {
            Refuse(QStringLiteral("%1第 %2 行有 %3 列，应是两列：学籍号和照片文件名")
                       .arg(kPhotoIndexNoun)
                       .arg(i + 1)
                       .arg(cells.size()));
        }
        rows.append({i + 1, cells[0], cells[1]});
    }

    // The column order is read from the photo names, never from the header:
    // a header written by hand may be wrong, the file names are what they are.
    const Cells& head = rows.first();
    if ((IsTitle(head.left, kCodeTitles) || IsTitle(head.left, kPhotoTitles))
        && (IsTitle(head.right, kCodeTitles) || IsTitle(head.right, kPhotoTitles))) {
        rows.removeFirst();
    } else if (!NamesPicture(head.left) && !NamesPicture(head.right)) {
        Refuse(QStringLiteral("%1第 %2 行既不是认得的表头（如“学籍号”“照片”），也不含照片文件名"
                              "（照片文件名应以 .jpg、.jpeg 或 .bmp 结尾）")
                   .arg(kPhotoIndexNoun)
                   .arg(head.line));
    }
    if (rows.isEmpty())
        Refuse(QStringLiteral("%1只有表头，没有照片").arg(kPhotoIndexNoun));
    const bool photoOnLeft = NamesPicture(rows.first().left) && !NamesPicture(rows.first().right);

    QList<PhotoIndexRow> result;
    result.reserve(rows.size());
    for (const Cells& row : rows) {
        const QString& photo = photoOnLeft ? row.left : row.right;
        const QString& code = photoOnLeft ? row.right : row.left;
        // Both cells naming a picture leave the order in doubt.
        if (!NamesPicture(photo) || NamesPicture(code)) {
            Refuse(QStringLiteral("%1第 %2 行看不出哪一列是照片文件名（照片文件名应以 .jpg、.jpeg 或 .bmp "
                                  "结尾，且每行的照片在同一列）")
                       .arg(kPhotoIndexNoun)
                       .arg(row.line));
        }
        if (code.isEmpty())
            Refuse(QStringLiteral("%1第 %2 行没有学籍号").arg(kPhotoIndexNoun).arg(row.line));
        // Indexes made on Windows write "\"; the file is the same one.
        result.append({row.line, code, QString(photo).replace(u'\\', u'/')});
    }
    return result;
}

QList<PhotoIndexRow> ReadPhotoIndex(const QString& path)
{
    try {
        return SplitPhotoIndex(ReadRegularFile(path, kMaxRosterBytes));
    } catch (const EFileAccessError& error) {
        throw EPhotoIndexError(error.what());
    }
}

#include "cli/TextTable.h"

#include <algorithm>

namespace {

// East Asian wide and fullwidth characters (Unicode's East_Asian_Width W and
// F) in the blocks Chinese text uses.
bool IsWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) || (c >= 0xAC00 && c <= 0xD7A3)
           || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60)
           || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

} // namespace

int DisplayWidth(const QString& text)
{
    int width = 0;
    for (const char32_t c : text.toUcs4())
        width += IsWide(c) ? 2 : 1;
    return width;
}

QString TextTable(const QStringList& header, const QList<QStringList>& rows)
{
    QList<int> widths;
    for (const QString& title : header)
        widths << DisplayWidth(title);
    for (const QStringList& row : rows) {
        for (qsizetype c = 0; c < row.size() && c < widths.size(); ++c)
            widths[c] = std::max(widths[c], DisplayWidth(row[c]));
    }
    QStringList lines;
    for (const QStringList& row : QList<QStringList>{header} + rows) {
        QString line;
        for (qsizetype c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size())
                line += QString(widths[c] - DisplayWidth(row[c]) + 2, u' ');
        }
        lines << line;
    }
    return lines.join(u'\n');
}

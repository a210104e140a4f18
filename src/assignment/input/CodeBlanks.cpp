#include "assignment/input/CodeBlanks.h"

bool HasBlankAround(const QString& code)
{
    return !code.isEmpty() && (code.front().isSpace() || code.back().isSpace());
}

// The ASCII blanks (space, tab) look like nothing at all; the others are
// spelled out by ShownCode ("[U+3000]"), which says more than a mark.
static bool IsAsciiBlank(QChar c)
{
    return c.unicode() < 0x80 && c.isSpace();
}

QString BlanksMarked(const QString& code)
{
    qsizetype first = 0;
    while (first < code.size() && IsAsciiBlank(code[first]))
        ++first;
    qsizetype end = code.size();
    while (end > first && IsAsciiBlank(code[end - 1]))
        --end;
    const QChar mark(0x2423);
    return QString(first, mark) + code.mid(first, end - first) + QString(code.size() - end, mark);
}

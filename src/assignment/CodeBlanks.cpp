#include "assignment/CodeBlanks.h"

bool HasBlankAround(const QString& code)
{
    return !code.isEmpty() && (code.front().isSpace() || code.back().isSpace());
}

QString BlanksMarked(const QString& code)
{
    qsizetype first = 0;
    while (first < code.size() && code[first].isSpace())
        ++first;
    qsizetype end = code.size();
    while (end > first && code[end - 1].isSpace())
        --end;
    const QChar mark(0x2423);
    return QString(first, mark) + code.mid(first, end - first) + QString(code.size() - end, mark);
}

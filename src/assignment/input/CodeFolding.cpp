#include "assignment/input/CodeFolding.h"

QString FoldedCode(const QString& code)
{
    QString folded = code.normalized(QString::NormalizationForm_KC);
    for (QChar& c : folded) {
        if (c.isSpace())
            c = u' ';
    }
    return folded.toCaseFolded();
}

QString DuplicateCodeKey(const QString& code)
{
    QString key = FoldedCode(code);
    qsizetype start = 0;
    qsizetype end = key.size();
    while (start < end && key[start] == u' ')
        ++start;
    while (end > start && key[end - 1] == u' ')
        --end;
    return key.mid(start, end - start);
}

bool CodeNeedsFolding(const QString& code)
{
    return FoldedCode(code) != code.toCaseFolded();
}

QString StudentCodeKey(const QString& code)
{
    const QString folded = FoldedCode(code);
    qsizetype end = folded.size();
    while (end > 0 && folded[end - 1] == u' ')
        --end;
    return folded.left(end);
}

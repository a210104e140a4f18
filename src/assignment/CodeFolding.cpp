#include "assignment/CodeFolding.h"

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

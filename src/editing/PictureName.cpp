#include "editing/PictureName.h"

QString TrimmedPictureName(const QString& typed)
{
    qsizetype first = 0;
    qsizetype last = typed.size();
    while (first < last && typed[first].unicode() <= u' ')
        ++first;
    while (last > first && typed[last - 1].unicode() <= u' ')
        --last;
    return typed.mid(first, last - first);
}

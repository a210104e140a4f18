#include "files/NaturalOrder.h"

#include <algorithm>

namespace {

// Compares the names chunk by chunk. Returns <0, 0 or >0; `digitsTieBreak`
// collects the first difference in the length of equal-valued digit runs
// ("01" against "1") for use when everything else is equal.
int CompareNaturally(const QString& a, const QString& b, int& digitsTieBreak)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            const qsizetype runA = i;
            const qsizetype runB = j;
            while (i < a.size() && a[i].isDigit())
                ++i;
            while (j < b.size() && b[j].isDigit())
                ++j;
            qsizetype valueA = runA;
            qsizetype valueB = runB;
            while (valueA < i - 1 && a[valueA] == u'0')
                ++valueA;
            while (valueB < j - 1 && b[valueB] == u'0')
                ++valueB;
            const qsizetype lengthA = i - valueA;
            const qsizetype lengthB = j - valueB;
            if (lengthA != lengthB)
                return lengthA < lengthB ? -1 : 1;
            for (qsizetype k = 0; k < lengthA; ++k) {
                if (a[valueA + k] != b[valueB + k])
                    return a[valueA + k] < b[valueB + k] ? -1 : 1;
            }
            if (digitsTieBreak == 0 && (i - runA) != (j - runB))
                digitsTieBreak = (i - runA) < (j - runB) ? -1 : 1;
            continue;
        }
        const QChar ca = a[i].toCaseFolded();
        const QChar cb = b[j].toCaseFolded();
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    const bool aDone = i >= a.size();
    const bool bDone = j >= b.size();
    if (aDone != bDone)
        return aDone ? -1 : 1;
    return 0;
}

} // namespace

bool NaturalLess(const QString& a, const QString& b)
{
    int digitsTieBreak = 0;
    if (const int order = CompareNaturally(a, b, digitsTieBreak); order != 0)
        return order < 0;
    if (digitsTieBreak != 0)
        return digitsTieBreak < 0;
    return a < b;
}

void SortNaturally(QStringList& names)
{
    std::stable_sort(names.begin(), names.end(), NaturalLess);
}

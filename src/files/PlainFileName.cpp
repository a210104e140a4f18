#include "files/PlainFileName.h"

bool IsPlainFileName(const QString& name)
{
    if (name == u"." || name == u"..")
        return false;
    constexpr QStringView kForbidden = u"/\\<>:\"|?*";
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control || kForbidden.contains(c))
            return false;
    }
    return true;
}

#include "files/PlainFileName.h"

#include <QStringList>

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

std::optional<QString> PortableFileNameFault(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("文件名是空的");
    if (!IsPlainFileName(name))
        return QStringLiteral("文件名含有路径符号或 Windows 不允许的字符");
    if (name.endsWith(u'.') || name.endsWith(u' '))
        return QStringLiteral("文件名以点或空格结尾");
    // The device names count whatever follows their first dot, in any case.
    const QString stem = name.section(u'.', 0, 0).trimmed().toUpper();
    static const QStringList kDevices{QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                                      QStringLiteral("NUL")};
    const bool numberedDevice = stem.size() == 4 && (stem.startsWith(u"COM") || stem.startsWith(u"LPT"))
                                && stem.at(3) >= u'1' && stem.at(3) <= u'9';
    if (kDevices.contains(stem) || numberedDevice)
        return QStringLiteral("文件名 %1 是 Windows 保留的设备名").arg(stem);
    if (name.toUtf8().size() > 255 || name.size() > 255)
        return QStringLiteral("文件名太长");
    return std::nullopt;
}

#include "files/SystemErrorText.h"

#include "files/FolderHandle.h"

#include <QFile>

std::string NativeName(const QString& name)
{
#ifdef _WIN32
    return name.toStdString();
#else
    return QFile::encodeName(name).toStdString();
#endif
}

QString PathText(const std::filesystem::path& path)
{
#ifdef _WIN32
    return QString::fromStdWString(path.wstring());
#else
    return QFile::decodeName(path.string().c_str());
#endif
}

QString SystemErrorText(const std::error_code& error)
{
    QString system = QString::fromLocal8Bit(error.message());
    if (error.category() == FileRuleCategory()) {
        switch (static_cast<FileRule>(error.value())) {
        case FileRule::NotRegular:
            return QStringLiteral("不是普通文件（可能是链接、文件夹、命名管道或设备）");
        case FileRule::NotFolder:
            return QStringLiteral("不是文件夹（可能是链接）");
        case FileRule::TooLarge:
            return QStringLiteral("文件过大");
        case FileRule::LeadsOutside:
            return QStringLiteral("是指向外部的链接");
        case FileRule::Changed:
            return QStringLiteral("在使用时被换掉了");
        case FileRule::NotAName:
            return QStringLiteral("不是单一的文件名（含有文件夹分隔符，或是“.”、“..”）");
        }
    }
    switch (CauseOf(error)) {
    case SystemCause::DiskFull:
        return QStringLiteral("磁盘已满（%1）").arg(system);
    case SystemCause::PermissionDenied:
        return QStringLiteral("没有权限（%1）").arg(system);
    case SystemCause::ReadOnly:
        return QStringLiteral("磁盘是只读的（%1）").arg(system);
    case SystemCause::Missing:
        return QStringLiteral("不存在（%1）").arg(system);
    case SystemCause::IsLink:
        return QStringLiteral("是链接，不予使用（%1）").arg(system);
    case SystemCause::Other:
        break;
    }
    return system;
}

#include "assignment/site/SiteIdentity.h"

#include "assignment/site/SiteConfig.h"
#include "files/FileSystemPath.h"
#include "files/SystemErrorText.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

SiteIdentity IdentifySite(const QString& installationFolder)
{
    const QFileInfo info(installationFolder);
    QString path = info.canonicalFilePath();
    if (path.isEmpty())
        path = info.absoluteFilePath();
    if (!path.endsWith(u'/'))
        path += u'/';
    const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256);
    return SiteIdentity{path, QString::fromLatin1(hash.toHex().left(16))};
}

QString SitePhotoFolder(const QString& installationFolder)
{
    const QString sep = QDir::separator();
    return installationFolder + QStringLiteral("upload") + sep + QStringLiteral("StudentPhoto") + sep;
}

FolderHandle OpenPhotoFolder(const QString& installationFolder)
{
    std::error_code error;
    FolderHandle folder = FolderHandle::OpenWithin(FileSystemPath(installationFolder),
                                                   FileSystemPath(QStringLiteral("upload/StudentPhoto")), false, error);
    if (error) {
        throw std::runtime_error(QStringLiteral("网站的照片文件夹 %1 %2")
                                     .arg(QDir::toNativeSeparators(SitePhotoFolder(installationFolder)),
                                          error == FileRule::LeadsOutside
                                              ? QStringLiteral("是指向网站之外的链接，不予写入")
                                              : QStringLiteral("无法打开：") + SystemErrorText(error))
                                     .toStdString());
    }
    return folder;
}

QString DatabaseName(const ConnectionSettings& settings)
{
    return settings.Server + QStringLiteral(" / ") + settings.Database;
}

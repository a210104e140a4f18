#include "assignment/SiteIdentity.h"

#include "assignment/SiteConfig.h"

#include <QDir>
#include <QFileInfo>

QString CanonicalSiteFolder(const QString& installationFolder)
{
    const QFileInfo info(installationFolder);
    QString path = info.canonicalFilePath();
    if (path.isEmpty())
        path = info.absoluteFilePath();
    return path.endsWith(u'/') ? path : path + u'/';
}

QString SitePhotoFolder(const QString& installationFolder)
{
    const QString sep = QDir::separator();
    return installationFolder + QStringLiteral("upload") + sep + QStringLiteral("StudentPhoto") + sep;
}

QString DatabaseName(const ConnectionSettings& settings)
{
    return settings.Server + QStringLiteral(" / ") + settings.Database;
}

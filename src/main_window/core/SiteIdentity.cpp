#include "main_window/core/SiteIdentity.h"

#include "main_window/core/SiteConfig.h"

#include <QFileInfo>

QString CanonicalSiteFolder(const QString& installationFolder)
{
    const QFileInfo info(installationFolder);
    QString path = info.canonicalFilePath();
    if (path.isEmpty())
        path = info.absoluteFilePath();
    return path.endsWith(u'/') ? path : path + u'/';
}

QString SiteDatabaseName(const QString& installationFolder)
{
    const ConnectionSettings settings = SiteConnectionSettings(installationFolder);
    return settings.Server + QStringLiteral(" / ") + settings.Database;
}

#pragma once

#include <QString>

// How the journal tells web application sites apart.

// The installation folder with links and "." or ".." resolved, ending with
// "/": one site has one such name however its folder was written. A folder
// that does not exist keeps its absolute path.
QString CanonicalSiteFolder(const QString& installationFolder);

// The database the site's Web.config names, as "server / database" (never the
// password). Throws EWebConfigError as SiteConnectionString does.
QString SiteDatabaseName(const QString& installationFolder);

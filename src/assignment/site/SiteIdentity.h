#pragma once

#include "assignment/plan/AssignmentTypes.h"
#include "files/FolderHandle.h"

#include <QString>

struct ConnectionSettings;

// How the journal tells web application sites apart.

// The site at `installationFolder` (SiteIdentity in AssignmentTypes.h). A
// folder that does not exist keeps its absolute path.
SiteIdentity IdentifySite(const QString& installationFolder);

// The site's folder of student photos: installationFolder + "upload" and
// "StudentPhoto", each followed by the native separator.
QString SitePhotoFolder(const QString& installationFolder);

// The site's photo folder, opened without following a link out of the
// installation folder. Throws std::runtime_error naming the folder.
FolderHandle OpenPhotoFolder(const QString& installationFolder);

// The database the settings name, as "server / database" (never the
// password): how the journal tells the databases of runs apart.
QString DatabaseName(const ConnectionSettings& settings);

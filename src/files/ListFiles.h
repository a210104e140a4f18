#pragma once

#include <QString>
#include <QStringList>

// Appends to `names` the bare names of the regular files of `folderString`
// (or links to them) that match the wildcard `mask` ("*.jpg"). Hidden files
// are listed too, and the mask ignores letter case, as the Windows directory
// search does. Folders, named pipes, devices and dangling links are left
// out: nothing that reads the listed files could read them, and a named
// pipe would make it wait for ever. An empty folder string means
// the current directory; a folder that cannot be read lists nothing.
//
// The order matters: it pairs photos with students and numbers the resized
// pictures. Directory entries come in no meaningful order on Linux, so the
// names are sorted the way a file manager shows them to the person who
// arranged the photos (see NaturalOrder.h).
void ListFiles(const QString& folderString, const QString& mask, QStringList& names);

// The pictures the side windows and the batch resize list: JPEG files by
// their usual extension.
inline const QString kJpegMask = QStringLiteral("*.jpg");

#pragma once

#include <QString>
#include <QVariant>

// Where the web application keeps a student's photo: one place for the file
// name, the web path its table holds, and the file a photo column names.

// The student's photo file in the site's photo folder: the code and ".jpg".
QString StudentPhotoFileName(const QString& code);

// The web path the application shows a student's photo under, as the
// photo column holds it: "/upload/StudentPhoto/" and the file name.
QString StudentPhotoWebPath(const QString& code);

// The file of the site's photo folder (ending with a separator) that a photo
// column names, when it names one there that exists; else `destination` (the
// file a run would replace) when that exists; else empty.
QString CurrentPhotoFile(const QString& sitePhotoFolder, const QVariant& photoColumn, const QString& destination);

// The file of the student's photo on the site: the one the photo column
// names, or else the one a run would replace (StudentPhotoFileName in the
// photo folder; a code that is no file name has none); empty when neither
// exists.
QString StudentCurrentPhoto(const QString& sitePhotoFolder, const QString& code, const QVariant& photoColumn);

#pragma once

#include <QString>

// The name typed for a cropped picture with every leading and trailing
// character of code 32 (space) or below removed.
QString TrimmedPictureName(const QString& typed);

// Whether the typed name can be a file name of its own inside the output
// folder: no folder separators (which would write outside it, or into a
// folder that is not there), and none of the characters that Windows file
// names cannot hold, since the photos end up on a Windows server.
bool IsPlainPictureName(const QString& typed);

#pragma once

#include <QString>

// The name typed for a cropped picture with every leading and trailing
// character of code 32 (space) or below removed.
QString TrimmedPictureName(const QString& typed);

#pragma once

#include <QString>

// A folder string is how every window holds a chosen folder: the path with
// native separators, ending with one separator so that a file name can be
// appended directly. A root ("/" or "C:\") already ends with one and stays as
// it is. The empty string means that no folder has been chosen.
QString FolderString(const QString& chosenPath);

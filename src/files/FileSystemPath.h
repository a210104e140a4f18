#pragma once

#include <QFile>
#include <QString>

#include <filesystem>

// A path as Qt holds it (a QString) as the standard library and the picture
// component take it, in the file system's own encoding: UTF-16 on Windows,
// on other systems the bytes Qt itself would open the file by. The one
// conversion of the tool: a second one with another encoding would open
// another file, or none, for a name outside ASCII.
inline std::filesystem::path FileSystemPath(const QString& path)
{
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

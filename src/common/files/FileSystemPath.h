#pragma once

#include <QFile>
#include <QString>

#include <filesystem>

// A path of the windows (a QString) as the picture component takes it, in
// the file system's own encoding.
inline std::filesystem::path FileSystemPath(const QString& path)
{
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

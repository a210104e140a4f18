#include "files/SameFile.h"

#include "files/FileSystemPath.h"

#include <filesystem>
#include <system_error>

std::optional<bool> LeadToOneFile(const QString& path, const QString& other)
{
    if (path == other)
        return true;
    std::error_code error;
    const bool same = std::filesystem::equivalent(FileSystemPath(path), FileSystemPath(other), error);
    if (error)
        return std::nullopt;
    return same;
}

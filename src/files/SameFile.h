#pragma once

#include <QString>

#include <optional>

// Whether two paths lead to one file, as the file system resolves them: on
// Windows names that differ only in letter case do, on Linux they may be two
// files. Nothing when the system cannot tell (when neither path leads to a
// file).
std::optional<bool> LeadToOneFile(const QString& path, const QString& other);

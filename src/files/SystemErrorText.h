#pragma once

#include <QString>

#include <filesystem>
#include <string>
#include <system_error>

// The Qt side of FolderHandle.h: names as the handles take them, and their
// errors as the user reads them.

// A file name (no folder) as FolderHandle takes it: UTF-8 on Windows, the
// bytes Qt would open the file by elsewhere.
std::string NativeName(const QString& name);

// A path of the standard library as Qt holds it.
QString PathText(const std::filesystem::path& path);

// The cause in Chinese, then the system's own text: "磁盘已满（No space left
// on device）", "没有权限（…）", "只读的磁盘（…）"; the system's text alone
// for other causes.
QString SystemErrorText(const std::error_code& error);

#pragma once

#include "files/EntryFacts.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

// The system calls under FolderHandle and FileHandle, one set per platform:
// FolderHandlePosix.cpp (openat, fstat, renameat, flock …) or
// FolderHandleWindows.cpp (CreateFileW with FILE_FLAG_OPEN_REPARSE_POINT,
// GetFileInformationByHandle, MoveFileExW, LockFileEx …), chosen in
// CMakeLists.txt. Each call does one thing and reports its error; the rules
// (which names are taken, how much is read) live in FolderHandle.cpp.
// A folder is passed as its handle and its path: POSIX works through the
// handle, Windows, whose calls take paths, through the path while the
// handle keeps the folder from being moved away.
namespace NativeFiles {

// The characters that make a name a path on this system: the separators,
// and on Windows the drive's colon as well.
std::string_view NameBreakers();

// A name as the callers give it, as a path of the standard library: UTF-8
// on Windows, the file system's bytes elsewhere.
std::filesystem::path NamePath(const std::string& name);

void Close(NativeHandle handle);

// At most `size` bytes from the present position, or from `offset`; 0 at
// the end of the file.
std::size_t Read(NativeHandle file, char* buffer, std::size_t size, std::error_code& error);
std::size_t ReadAt(NativeHandle file, std::uint64_t offset, char* buffer, std::size_t size, std::error_code& error);
// Writes some of `bytes` (at least one unless an error is set); how many.
std::size_t Write(NativeHandle file, const char* bytes, std::size_t size, std::error_code& error);
void Sync(NativeHandle file, std::error_code& error);
void Resize(NativeHandle file, std::uint64_t size, std::error_code& error);
void SetPermissions(NativeHandle file, std::uint32_t permissions, std::error_code& error);
bool TryLock(NativeHandle file, std::error_code& error);
EntryFacts Facts(NativeHandle file, std::error_code& error);

// The folder at `path`, links in it followed.
NativeHandle OpenFolder(const std::filesystem::path& path, std::error_code& error);
// The folder `name` in `folder`, not through a link; made first with `create`.
NativeHandle OpenFolderIn(NativeHandle folder, const std::filesystem::path& folderPath, const std::string& name,
                          bool create, std::error_code& error);

enum class FileUse {
    Reading,   // an existing regular file, read only
    CreateNew, // a new file, read and written; nothing may be there, not even a link
    Appending, // a regular file, made when missing, written at its end
    Updating,  // a regular file, made when missing, read and written
};
// The regular file `name` in `folder`, never through a link and never
// waiting on a named pipe: anything else there is FileRule::NotRegular.
NativeHandle OpenFileIn(NativeHandle folder, const std::filesystem::path& folderPath, const std::string& name,
                        FileUse use, std::error_code& error);

// What `name` is, not following a link; a missing entry is no error.
EntryFacts Look(NativeHandle folder, const std::filesystem::path& folderPath, const std::string& name,
                std::error_code& error);
void Rename(NativeHandle folder, const std::filesystem::path& folderPath, const std::string& from,
            const std::string& to, std::error_code& error);
void Remove(NativeHandle folder, const std::filesystem::path& folderPath, const std::string& name,
            std::error_code& error);

// The cause of an error in the system's own numbering, where this system
// numbers its errors apart from errno (Windows); nothing otherwise.
std::optional<SystemCause> CauseOfSystemError(const std::error_code& error);

} // namespace NativeFiles

#pragma once

#include "files/EntryFacts.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

// Files reached through an opened folder, never through a link. A path is
// looked up anew at every use, so that a link swapped in between a check and
// a use would lead a write or a read elsewhere; a folder opened once keeps
// its place, and every file in it is opened by name relative to it without
// following a link, then checked and used through that one handle. On Unix:
// openat with O_NOFOLLOW, fstat on the handle, fchmod, renameat, flock. On
// Windows: the folder's handle held without delete sharing (so it cannot be
// moved away), files opened with FILE_FLAG_OPEN_REPARSE_POINT and refused
// when the handle's attributes say reparse point, LockFileEx.
//
// The classes and their rules live in FolderHandle.cpp, once; the system
// calls under them in FolderHandlePosix.cpp or FolderHandleWindows.cpp, as
// CMakeLists.txt chooses (files/detail/NativeFiles.h). None of it needs Qt.
// Errors are std::error_code: the system's own, or FileRule (EntryFacts.h).

// One opened file; closed with the object.
class FileHandle {
public:
    FileHandle() = default;
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsOpen() const;
    EntryFacts Facts(std::error_code& error) const;
    // Reads from the present position to the end, at most maxBytes: a longer
    // file (also one growing while read) gives FileRule::TooLarge.
    std::string ReadAll(std::uint64_t maxBytes, std::error_code& error);
    // Reads `length` bytes from `offset` (fewer at the end of the file).
    std::string ReadAt(std::uint64_t offset, std::uint64_t length, std::error_code& error);
    void WriteAll(const char* bytes, std::size_t size, std::error_code& error);
    // Forces what was written to the disk.
    void Sync(std::error_code& error);
    // Cuts the file to `size` bytes and moves to its end.
    void Resize(std::uint64_t size, std::error_code& error);
    // Gives the file these POSIX permission bits, through the handle; a
    // no-op on Windows, where new files take their folder's access rules.
    void SetPermissions(std::uint32_t permissions, std::error_code& error);
    // An exclusive lock that the system lifts when the handle closes or the
    // process dies; false when another handle holds it.
    bool TryLock(std::error_code& error);

private:
    friend class FolderHandle;
    explicit FileHandle(NativeHandle handle) : handle_(handle) { }
    NativeHandle handle_ = kNoNativeHandle;
};

// One opened folder; closed with the object.
class FolderHandle {
public:
    FolderHandle() = default;
    ~FolderHandle();
    FolderHandle(FolderHandle&& other) noexcept;
    FolderHandle& operator=(FolderHandle&& other) noexcept;
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    // Opens `path` as it is named (links in it followed: the caller trusts it).
    static FolderHandle Open(const std::filesystem::path& path, std::error_code& error);
    // Opens `relative`, folder by folder from `base`, none of them a link
    // that leads outside `base`. A link inside `base` to another folder
    // inside it is taken where it leads. With `create`, missing folders are made.
    static FolderHandle OpenWithin(const std::filesystem::path& base, const std::filesystem::path& relative,
                                   bool create, std::error_code& error);

    bool IsOpen() const;
    const std::filesystem::path& Path() const { return path_; }

    // Every `name` below is one entry of this folder: a name with a folder
    // separator in it, empty, `.` or `..` is refused (FileRule::NotAName), as
    // it would lead through folders (and links) that were never checked.

    // The folder `name` in this one, not through a link; made first with `create`.
    FolderHandle OpenFolder(const std::string& name, bool create, std::error_code& error) const;
    // A regular file for reading, never waiting on a named pipe.
    FileHandle OpenForReading(const std::string& name, std::error_code& error) const;
    // A new file for writing; fails when anything is there, even a link.
    FileHandle CreateNew(const std::string& name, std::error_code& error) const;
    // A regular file for appending, made when missing.
    FileHandle OpenForAppending(const std::string& name, std::error_code& error) const;
    // A regular file for reading and writing, made when missing (a lock file).
    FileHandle OpenForUpdating(const std::string& name, std::error_code& error) const;
    // What `name` is, not following a link.
    EntryFacts Look(const std::string& name, std::error_code& error) const;
    // Renames `from` to `to` in this folder, replacing whatever `to` is (a
    // link itself, never its target).
    void Rename(const std::string& from, const std::string& to, std::error_code& error) const;
    // Removes the file or link `name` (never a link's target).
    void Remove(const std::string& name, std::error_code& error) const;

private:
    std::filesystem::path path_;
    NativeHandle handle_ = kNoNativeHandle;
};

// The cause of `error` as the user is told it (SystemErrorText.h).
SystemCause CauseOf(const std::error_code& error);

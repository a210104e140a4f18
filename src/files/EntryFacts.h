#pragma once

#include <cstdint>
#include <system_error>

// What FolderHandle and the system calls under it (detail/NativeFiles.h)
// say of an entry, and what they refuse of one.

// What the tool refuses of a file that the system would open.
enum class FileRule {
    NotRegular = 1, // a folder, named pipe, device or link where a file was expected
    NotFolder,      // a file or a link where a folder was expected
    TooLarge,       // larger than the reader allows
    LeadsOutside,   // a folder that is, or passes through, a link leading outside
    Changed,        // the entry is no longer the one the handle was opened on
    NotAName,       // empty, `.`, `..` or holding a folder separator where one entry's name was expected
};
const std::error_category& FileRuleCategory();
std::error_code make_error_code(FileRule rule);

template <> struct std::is_error_code_enum<FileRule> : std::true_type {
};

// What an entry is, by its name alone (a link is a link, not its target).
struct EntryFacts {
    enum class Kind { Missing, Regular, Folder, Link, Other };
    Kind kind = Kind::Missing;
    std::uint64_t size = 0;
    std::uint32_t permissions = 0; // the POSIX permission bits; 0 on Windows
    std::uint64_t device = 0;      // with `file`, which file it is
    std::uint64_t file = 0;
};

// A file descriptor, or a Windows HANDLE; -1 is none on both (CreateFileW's
// INVALID_HANDLE_VALUE).
using NativeHandle = std::intptr_t;
inline constexpr NativeHandle kNoNativeHandle = -1;

// What a failure comes down to, for the user: a disk full, a permission
// denied, a read-only file system, and so on (CauseOf, FolderHandle.h).
enum class SystemCause { Other, DiskFull, PermissionDenied, ReadOnly, Missing, IsLink };

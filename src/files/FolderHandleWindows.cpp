// FolderHandle's system calls on Windows, whose calls take paths: the
// folder's handle is held without delete sharing (so the folder cannot be
// moved away while it is open), and every entry is opened with
// FILE_FLAG_OPEN_REPARSE_POINT and refused when its handle says reparse
// point (a symbolic link or a junction); locks are LockFileEx's.
#include "files/detail/NativeFiles.h"

#include <algorithm>

#include <windows.h>

namespace fs = std::filesystem;

namespace {

std::error_code LastError()
{
    return {static_cast<int>(::GetLastError()), std::system_category()};
}

HANDLE Native(NativeHandle handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

NativeHandle Ours(HANDLE handle)
{
    return reinterpret_cast<NativeHandle>(handle);
}

EntryFacts FactsOf(DWORD attributes, std::uint64_t size)
{
    EntryFacts facts;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        facts.kind = EntryFacts::Kind::Link;
    else if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        facts.kind = EntryFacts::Kind::Folder;
    else
        facts.kind = EntryFacts::Kind::Regular;
    facts.size = size;
    return facts;
}

EntryFacts HandleFacts(HANDLE handle, std::error_code& error)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        error = LastError();
        return {};
    }
    EntryFacts facts = FactsOf(info.dwFileAttributes, (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    if (::GetFileType(handle) != FILE_TYPE_DISK)
        facts.kind = EntryFacts::Kind::Other;
    facts.device = info.dwVolumeSerialNumber;
    facts.file = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return facts;
}

// Opens `path` itself, a reparse point (a link, a junction) included, and
// keeps the handle only when it is of the kind wanted.
NativeHandle OpenEntry(const fs::path& path, DWORD access, DWORD share, DWORD disposition, EntryFacts::Kind wanted,
                       std::error_code& error)
{
    DWORD flags = FILE_FLAG_OPEN_REPARSE_POINT;
    if (wanted == EntryFacts::Kind::Folder)
        flags |= FILE_FLAG_BACKUP_SEMANTICS;
    HANDLE handle = ::CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = LastError();
        // A folder opened as a file is refused as "access denied": say what it is.
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (wanted == EntryFacts::Kind::Regular && attributes != INVALID_FILE_ATTRIBUTES
            && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            error = FileRule::NotRegular;
        return kNoNativeHandle;
    }
    const EntryFacts facts = HandleFacts(handle, error);
    if (!error && facts.kind != wanted)
        error = wanted == EntryFacts::Kind::Folder ? FileRule::NotFolder : FileRule::NotRegular;
    if (error) {
        ::CloseHandle(handle);
        return kNoNativeHandle;
    }
    return Ours(handle);
}

// Other processes may read and write inside the folder, never move or remove it.
constexpr DWORD kFolderShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

bool MoveTo(NativeHandle file, std::uint64_t offset)
{
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    return ::SetFilePointerEx(Native(file), position, nullptr, FILE_BEGIN);
}

} // namespace

namespace NativeFiles {

std::string_view NameBreakers()
{
    return "/\\:";
}

fs::path NamePath(const std::string& name)
{
    return fs::path(std::u8string(name.begin(), name.end()));
}

void Close(NativeHandle handle)
{
    if (handle != kNoNativeHandle)
        ::CloseHandle(Native(handle));
}

std::size_t Read(NativeHandle file, char* buffer, std::size_t size, std::error_code& error)
{
    DWORD got = 0;
    if (!::ReadFile(Native(file), buffer, static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)), &got, nullptr)) {
        error = LastError();
        return 0;
    }
    return got;
}

std::size_t ReadAt(NativeHandle file, std::uint64_t offset, char* buffer, std::size_t size, std::error_code& error)
{
    if (!MoveTo(file, offset)) {
        error = LastError();
        return 0;
    }
    return Read(file, buffer, size, error);
}

std::size_t Write(NativeHandle file, const char* bytes, std::size_t size, std::error_code& error)
{
    DWORD written = 0;
    if (!::WriteFile(Native(file), bytes, static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)), &written,
                     nullptr)) {
        error = LastError();
        return 0;
    }
    return written;
}

void Sync(NativeHandle file, std::error_code& error)
{
    if (!::FlushFileBuffers(Native(file)))
        error = LastError();
}

void Resize(NativeHandle file, std::uint64_t size, std::error_code& error)
{
    if (!MoveTo(file, size) || !::SetEndOfFile(Native(file)))
        error = LastError();
}

// New files take their folder's access rules on Windows.
void SetPermissions(NativeHandle, std::uint32_t, std::error_code&) { }

bool TryLock(NativeHandle file, std::error_code& error)
{
    // A byte far past the end is locked, so that the holder's note at the
    // file's start stays readable: Windows locks keep others from reading.
    OVERLAPPED where{};
    where.Offset = 0;
    where.OffsetHigh = 0x40000000;
    if (::LockFileEx(Native(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where))
        return true;
    if (::GetLastError() != ERROR_LOCK_VIOLATION && ::GetLastError() != ERROR_IO_PENDING)
        error = LastError();
    return false;
}

EntryFacts Facts(NativeHandle file, std::error_code& error)
{
    return HandleFacts(Native(file), error);
}

NativeHandle OpenFolder(const fs::path& path, std::error_code& error)
{
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ, kFolderShare, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = LastError();
        return kNoNativeHandle;
    }
    if (HandleFacts(handle, error).kind != EntryFacts::Kind::Folder && !error)
        error = FileRule::NotFolder;
    if (error) {
        ::CloseHandle(handle);
        return kNoNativeHandle;
    }
    return Ours(handle);
}

NativeHandle OpenFolderIn(NativeHandle, const fs::path& folderPath, const std::string& name, bool create,
                          std::error_code& error)
{
    const fs::path path = folderPath / NamePath(name);
    if (create && !::CreateDirectoryW(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        error = LastError();
        return kNoNativeHandle;
    }
    return OpenEntry(path, GENERIC_READ, kFolderShare, OPEN_EXISTING, EntryFacts::Kind::Folder, error);
}

NativeHandle OpenFileIn(NativeHandle, const fs::path& folderPath, const std::string& name, FileUse use,
                        std::error_code& error)
{
    const fs::path path = folderPath / NamePath(name);
    switch (use) {
    case FileUse::Reading:
        return OpenEntry(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING,
                         EntryFacts::Kind::Regular, error);
    case FileUse::CreateNew:
        return OpenEntry(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, CREATE_NEW,
                         EntryFacts::Kind::Regular, error);
    case FileUse::Appending:
        return OpenEntry(path, FILE_APPEND_DATA | GENERIC_READ, FILE_SHARE_READ, OPEN_ALWAYS, EntryFacts::Kind::Regular,
                         error);
    case FileUse::Updating:
        return OpenEntry(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS,
                         EntryFacts::Kind::Regular, error);
    }
    return kNoNativeHandle;
}

EntryFacts Look(NativeHandle, const fs::path& folderPath, const std::string& name, std::error_code& error)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW((folderPath / NamePath(name)).c_str(), GetFileExInfoStandard, &data)) {
        const DWORD code = ::GetLastError();
        if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND)
            error = LastError();
        return {};
    }
    return FactsOf(data.dwFileAttributes, (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

void Rename(NativeHandle, const fs::path& folderPath, const std::string& from, const std::string& to,
            std::error_code& error)
{
    if (!::MoveFileExW((folderPath / NamePath(from)).c_str(), (folderPath / NamePath(to)).c_str(),
                       MOVEFILE_REPLACE_EXISTING))
        error = LastError();
}

void Remove(NativeHandle, const fs::path& folderPath, const std::string& name, std::error_code& error)
{
    if (!::DeleteFileW((folderPath / NamePath(name)).c_str()))
        error = LastError();
}

std::optional<SystemCause> CauseOfSystemError(const std::error_code& error)
{
    if (error.category() != std::system_category())
        return std::nullopt;
    switch (error.value()) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return SystemCause::DiskFull;
    case ERROR_ACCESS_DENIED:
        return SystemCause::PermissionDenied;
    case ERROR_WRITE_PROTECT:
        return SystemCause::ReadOnly;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return SystemCause::Missing;
    default:
        return SystemCause::Other;
    }
}

} // namespace NativeFiles

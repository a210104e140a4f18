#include "files/FolderHandle.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

class FileRuleCategoryImpl : public std::error_category {
public:
    const char* name() const noexcept override { return "file rule"; }
    std::string message(int value) const override
    {
        switch (static_cast<FileRule>(value)) {
        case FileRule::NotRegular:
            return "not a regular file";
        case FileRule::NotFolder:
            return "not a folder";
        case FileRule::TooLarge:
            return "file too large";
        case FileRule::LeadsOutside:
            return "a link leads outside";
        case FileRule::Changed:
            return "replaced while in use";
        }
        return "file rule";
    }
};

constexpr std::size_t kChunk = 1 << 16;

#ifdef _WIN32
constexpr void* kNoHandle = nullptr;
#else
constexpr int kNoHandle = -1;
#endif

// A name as the callers give it: UTF-8 on Windows, the file system's bytes elsewhere.
fs::path NamePath(const std::string& name)
{
#ifdef _WIN32
    return fs::path(std::u8string(name.begin(), name.end()));
#else
    return fs::path(name);
#endif
}

// Whether `inner` is `outer` or lies under it (both canonical).
bool IsWithin(const fs::path& inner, const fs::path& outer)
{
    auto i = inner.begin();
    for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
        if (o->empty())
            continue; // a trailing separator
        if (i == inner.end() || *i != *o)
            return false;
    }
    return true;
}

#ifdef _WIN32

std::error_code LastError()
{
    return {static_cast<int>(::GetLastError()), std::system_category()};
}

HANDLE Native(void* handle)
{
    return static_cast<HANDLE>(handle);
}

void CloseNative(void*& handle)
{
    if (handle)
        ::CloseHandle(Native(handle));
    handle = nullptr;
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
void* OpenEntry(const fs::path& path, DWORD access, DWORD share, DWORD disposition, EntryFacts::Kind wanted,
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
        return nullptr;
    }
    const EntryFacts facts = HandleFacts(handle, error);
    if (!error && facts.kind != wanted)
        error = wanted == EntryFacts::Kind::Folder ? FileRule::NotFolder : FileRule::NotRegular;
    if (error) {
        ::CloseHandle(handle);
        return nullptr;
    }
    return handle;
}

// Other processes may read and write inside the folder, never move or remove it.
constexpr DWORD kFolderShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

#else

std::error_code LastError()
{
    return {errno, std::generic_category()};
}

void CloseNative(int& handle)
{
    if (handle >= 0)
        ::close(handle);
    handle = -1;
}

EntryFacts FactsOf(const struct stat& status)
{
    EntryFacts facts;
    if (S_ISREG(status.st_mode))
        facts.kind = EntryFacts::Kind::Regular;
    else if (S_ISDIR(status.st_mode))
        facts.kind = EntryFacts::Kind::Folder;
    else if (S_ISLNK(status.st_mode))
        facts.kind = EntryFacts::Kind::Link;
    else
        facts.kind = EntryFacts::Kind::Other;
    facts.size = static_cast<std::uint64_t>(status.st_size);
    facts.permissions = status.st_mode & 07777;
    facts.device = static_cast<std::uint64_t>(status.st_dev);
    facts.file = static_cast<std::uint64_t>(status.st_ino);
    return facts;
}

// openat without following a link, checked on the handle to be of the kind
// wanted; never waits for a named pipe's other end.
int OpenEntry(int folder, const std::string& name, int flags, EntryFacts::Kind wanted, std::error_code& error)
{
    const int handle = ::openat(folder, name.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    const FileRule refusal = wanted == EntryFacts::Kind::Folder ? FileRule::NotFolder : FileRule::NotRegular;
    if (handle < 0) {
        // O_NOFOLLOW's answer to a link.
        error = errno == ELOOP || errno == ENOTDIR || errno == ENXIO ? std::error_code(refusal) : LastError();
        return -1;
    }
    struct stat status { };
    if (::fstat(handle, &status) != 0)
        error = LastError();
    else if (FactsOf(status).kind != wanted)
        error = refusal;
    if (error) {
        ::close(handle);
        return -1;
    }
    ::fcntl(handle, F_SETFL, ::fcntl(handle, F_GETFL) & ~O_NONBLOCK);
    return handle;
}

#endif

} // namespace

const std::error_category& FileRuleCategory()
{
    static const FileRuleCategoryImpl category;
    return category;
}

std::error_code make_error_code(FileRule rule)
{
    return {static_cast<int>(rule), FileRuleCategory()};
}

// ---- FileHandle

FileHandle::~FileHandle()
{
    CloseNative(handle_);
}

FileHandle::FileHandle(FileHandle&& other) noexcept : handle_(std::exchange(other.handle_, kNoHandle)) { }

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        CloseNative(handle_);
        handle_ = std::exchange(other.handle_, kNoHandle);
    }
    return *this;
}

bool FileHandle::IsOpen() const
{
    return handle_ != kNoHandle;
}

std::string FileHandle::ReadAll(std::uint64_t maxBytes, std::error_code& error)
{
    std::string bytes;
    char chunk[kChunk];
    for (;;) {
#ifdef _WIN32
        DWORD got = 0;
        if (!::ReadFile(Native(handle_), chunk, sizeof chunk, &got, nullptr)) {
            error = LastError();
            return {};
        }
#else
        const ssize_t got = ::read(handle_, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = LastError();
            return {};
        }
#endif
        if (got == 0)
            return bytes;
        if (bytes.size() + static_cast<std::size_t>(got) > maxBytes) {
            error = FileRule::TooLarge;
            return {};
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
}

std::string FileHandle::ReadAt(std::uint64_t offset, std::uint64_t length, std::error_code& error)
{
    std::string bytes;
#ifdef _WIN32
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!::SetFilePointerEx(Native(handle_), position, nullptr, FILE_BEGIN)) {
        error = LastError();
        return {};
    }
#endif
    char chunk[kChunk];
    while (bytes.size() < length) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, length - bytes.size()));
#ifdef _WIN32
        DWORD got = 0;
        if (!::ReadFile(Native(handle_), chunk, static_cast<DWORD>(want), &got, nullptr)) {
            error = LastError();
            return {};
        }
#else
        const ssize_t got = ::pread(handle_, chunk, want, static_cast<off_t>(offset + bytes.size()));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = LastError();
            return {};
        }
#endif
        if (got == 0)
            break;
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    return bytes;
}

void FileHandle::WriteAll(const char* bytes, std::size_t size, std::error_code& error)
{
    while (size > 0) {
#ifdef _WIN32
        DWORD written = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        if (!::WriteFile(Native(handle_), bytes, want, &written, nullptr)) {
            error = LastError();
            return;
        }
#else
        const ssize_t written = ::write(handle_, bytes, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error = LastError();
            return;
        }
#endif
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

void FileHandle::Sync(std::error_code& error)
{
#ifdef _WIN32
    if (!::FlushFileBuffers(Native(handle_)))
        error = LastError();
#else
    if (::fsync(handle_) != 0)
        error = LastError();
#endif
}

void FileHandle::Resize(std::uint64_t size, std::error_code& error)
{
#ifdef _WIN32
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFilePointerEx(Native(handle_), end, nullptr, FILE_BEGIN) || !::SetEndOfFile(Native(handle_)))
        error = LastError();
#else
    if (::ftruncate(handle_, static_cast<off_t>(size)) != 0
        || ::lseek(handle_, static_cast<off_t>(size), SEEK_SET) != static_cast<off_t>(size))
        error = LastError();
#endif
}

void FileHandle::SetPermissions(std::uint32_t permissions, std::error_code& error)
{
#ifdef _WIN32
    (void)permissions;
    (void)error;
#else
    if (::fchmod(handle_, static_cast<mode_t>(permissions & 07777)) != 0)
        error = LastError();
#endif
}

bool FileHandle::TryLock(std::error_code& error)
{
#ifdef _WIN32
    // A byte far past the end is locked, so that the holder's note at the
    // file's start stays readable: Windows locks keep others from reading.
    OVERLAPPED where{};
    where.Offset = 0;
    where.OffsetHigh = 0x40000000;
    if (::LockFileEx(Native(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where))
        return true;
    if (::GetLastError() != ERROR_LOCK_VIOLATION && ::GetLastError() != ERROR_IO_PENDING)
        error = LastError();
    return false;
#else
    for (;;) {
        if (::flock(handle_, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            error = LastError();
        return false;
    }
#endif
}

EntryFacts FileHandle::Facts(std::error_code& error) const
{
#ifdef _WIN32
    return HandleFacts(Native(handle_), error);
#else
    struct stat status { };
    if (::fstat(handle_, &status) != 0) {
        error = LastError();
        return {};
    }
    return FactsOf(status);
#endif
}

// ---- FolderHandle

FolderHandle::~FolderHandle()
{
    CloseNative(handle_);
}

FolderHandle::FolderHandle(FolderHandle&& other) noexcept
    : path_(std::move(other.path_)), handle_(std::exchange(other.handle_, kNoHandle))
{
}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept
{
    if (this != &other) {
        CloseNative(handle_);
        path_ = std::move(other.path_);
        handle_ = std::exchange(other.handle_, kNoHandle);
    }
    return *this;
}

bool FolderHandle::IsOpen() const
{
    return handle_ != kNoHandle;
}

FolderHandle FolderHandle::Open(const fs::path& path, std::error_code& error)
{
    FolderHandle folder;
#ifdef _WIN32
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ, kFolderShare, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = LastError();
        return folder;
    }
    folder.handle_ = handle;
    if (HandleFacts(handle, error).kind != EntryFacts::Kind::Folder && !error)
        error = FileRule::NotFolder;
#else
    folder.handle_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder.handle_ < 0)
        error = errno == ENOTDIR ? std::error_code(FileRule::NotFolder) : LastError();
#endif
    if (error)
        return FolderHandle();
    folder.path_ = path;
    return folder;
}

FolderHandle FolderHandle::OpenWithin(const fs::path& base, const fs::path& relative, bool create,
                                      std::error_code& error)
{
    const fs::path canonicalBase = fs::canonical(base, error);
    if (error)
        return {};
    // Where the folder is once every link on the way is resolved; missing
    // folders at the end stay as they are named.
    const fs::path target = fs::weakly_canonical(canonicalBase / relative, error);
    if (error)
        return {};
    if (!IsWithin(target, canonicalBase)) {
        error = FileRule::LeadsOutside;
        return {};
    }
    FolderHandle folder = Open(canonicalBase, error);
    // The resolved path holds no link: each step refuses one swapped in since.
    auto step = target.begin();
    for (auto b = canonicalBase.begin(); b != canonicalBase.end() && step != target.end(); ++b) {
        if (!b->empty())
            ++step;
    }
    for (; step != target.end() && !error; ++step) {
        if (!step->empty())
            folder = folder.OpenFolder(step->string(), create, error);
    }
    if (error)
        return {};
    return folder;
}

FolderHandle FolderHandle::OpenFolder(const std::string& name, bool create, std::error_code& error) const
{
    FolderHandle folder;
    folder.path_ = path_ / NamePath(name);
#ifdef _WIN32
    if (create && !::CreateDirectoryW(folder.path_.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        error = LastError();
        return {};
    }
    folder.handle_ =
        OpenEntry(folder.path_, GENERIC_READ, kFolderShare, OPEN_EXISTING, EntryFacts::Kind::Folder, error);
#else
    if (create && ::mkdirat(handle_, name.c_str(), 0777) != 0 && errno != EEXIST) {
        error = LastError();
        return {};
    }
    folder.handle_ = OpenEntry(handle_, name, O_RDONLY | O_DIRECTORY, EntryFacts::Kind::Folder, error);
#endif
    if (error)
        return {};
    return folder;
}

FileHandle FolderHandle::OpenForReading(const std::string& name, std::error_code& error) const
{
    FileHandle file;
#ifdef _WIN32
    file.handle_ = OpenEntry(path_ / NamePath(name), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING,
                             EntryFacts::Kind::Regular, error);
#else
    file.handle_ = OpenEntry(handle_, name, O_RDONLY, EntryFacts::Kind::Regular, error);
#endif
    return file;
}

FileHandle FolderHandle::CreateNew(const std::string& name, std::error_code& error) const
{
    FileHandle file;
#ifdef _WIN32
    file.handle_ = OpenEntry(path_ / NamePath(name), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                             CREATE_NEW, EntryFacts::Kind::Regular, error);
#else
    // The usual permissions of new files (0666 less the umask): a web
    // server must be able to read a new photo.
    const int handle = ::openat(handle_, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (handle < 0)
        error = LastError();
    else
        file.handle_ = handle;
#endif
    return file;
}

FileHandle FolderHandle::OpenForAppending(const std::string& name, std::error_code& error) const
{
    FileHandle file;
#ifdef _WIN32
    file.handle_ = OpenEntry(path_ / NamePath(name), FILE_APPEND_DATA | GENERIC_READ, FILE_SHARE_READ, OPEN_ALWAYS,
                             EntryFacts::Kind::Regular, error);
#else
    file.handle_ = OpenEntry(handle_, name, O_RDWR | O_APPEND | O_CREAT, EntryFacts::Kind::Regular, error);
#endif
    return file;
}

FileHandle FolderHandle::OpenForUpdating(const std::string& name, std::error_code& error) const
{
    FileHandle file;
#ifdef _WIN32
    file.handle_ = OpenEntry(path_ / NamePath(name), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             OPEN_ALWAYS, EntryFacts::Kind::Regular, error);
#else
    file.handle_ = OpenEntry(handle_, name, O_RDWR | O_CREAT, EntryFacts::Kind::Regular, error);
#endif
    return file;
}

EntryFacts FolderHandle::Look(const std::string& name, std::error_code& error) const
{
#ifdef _WIN32
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW((path_ / NamePath(name)).c_str(), GetFileExInfoStandard, &data)) {
        const DWORD code = ::GetLastError();
        if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND)
            error = LastError();
        return {};
    }
    return FactsOf(data.dwFileAttributes, (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
#else
    struct stat status { };
    if (::fstatat(handle_, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT)
            error = LastError();
        return {};
    }
    return FactsOf(status);
#endif
}

void FolderHandle::Rename(const std::string& from, const std::string& to, std::error_code& error) const
{
#ifdef _WIN32
    if (!::MoveFileExW((path_ / NamePath(from)).c_str(), (path_ / NamePath(to)).c_str(), MOVEFILE_REPLACE_EXISTING))
        error = LastError();
#else
    if (::renameat(handle_, from.c_str(), handle_, to.c_str()) != 0)
        error = LastError();
#endif
}

void FolderHandle::Remove(const std::string& name, std::error_code& error) const
{
#ifdef _WIN32
    if (!::DeleteFileW((path_ / NamePath(name)).c_str()))
        error = LastError();
#else
    if (::unlinkat(handle_, name.c_str(), 0) != 0)
        error = LastError();
#endif
}

SystemCause CauseOf(const std::error_code& error)
{
    if (error == FileRule::NotRegular || error == FileRule::NotFolder)
        return SystemCause::IsLink;
#ifdef _WIN32
    if (error.category() == std::system_category()) {
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
#endif
    if (error.category() != std::generic_category() && error.category() != std::system_category())
        return SystemCause::Other;
    switch (error.value()) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return SystemCause::DiskFull;
    case EACCES:
    case EPERM:
        return SystemCause::PermissionDenied;
    case EROFS:
        return SystemCause::ReadOnly;
    case ENOENT:
        return SystemCause::Missing;
    case ELOOP:
        return SystemCause::IsLink;
    default:
        return SystemCause::Other;
    }
}

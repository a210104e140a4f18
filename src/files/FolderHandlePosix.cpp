// FolderHandle's system calls on Unix: everything through the folder's file
// descriptor (openat with O_NOFOLLOW, fstatat, renameat, unlinkat), checked
// on the opened file itself (fstat), locked with flock.
#include "files/detail/NativeFiles.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::error_code LastError()
{
    return {errno, std::generic_category()};
}

int Descriptor(NativeHandle handle)
{
    return static_cast<int>(handle);
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
NativeHandle OpenEntry(NativeHandle folder, const std::string& name, int flags, EntryFacts::Kind wanted,
                       std::error_code& error)
{
    const int handle = ::openat(Descriptor(folder), name.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    const FileRule refusal = wanted == EntryFacts::Kind::Folder ? FileRule::NotFolder : FileRule::NotRegular;
    if (handle < 0) {
        // O_NOFOLLOW's answer to a link, a file where a folder was wanted,
        // a pipe without its other end, a folder opened for writing.
        error = errno == ELOOP || errno == ENOTDIR || errno == ENXIO || errno == EISDIR ? std::error_code(refusal)
                                                                                        : LastError();
        return kNoNativeHandle;
    }
    struct stat status { };
    if (::fstat(handle, &status) != 0)
        error = LastError();
    else if (FactsOf(status).kind != wanted)
        error = refusal;
    if (error) {
        ::close(handle);
        return kNoNativeHandle;
    }
    ::fcntl(handle, F_SETFL, ::fcntl(handle, F_GETFL) & ~O_NONBLOCK);
    return handle;
}

} // namespace

namespace NativeFiles {

std::string_view NameBreakers()
{
    return "/";
}

fs::path NamePath(const std::string& name)
{
    return fs::path(name);
}

void Close(NativeHandle handle)
{
    if (handle != kNoNativeHandle)
        ::close(Descriptor(handle));
}

std::size_t Read(NativeHandle file, char* buffer, std::size_t size, std::error_code& error)
{
    for (;;) {
        const ssize_t got = ::read(Descriptor(file), buffer, size);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR) {
            error = LastError();
            return 0;
        }
    }
}

std::size_t ReadAt(NativeHandle file, std::uint64_t offset, char* buffer, std::size_t size, std::error_code& error)
{
    for (;;) {
        const ssize_t got = ::pread(Descriptor(file), buffer, size, static_cast<off_t>(offset));
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR) {
            error = LastError();
            return 0;
        }
    }
}

std::size_t Write(NativeHandle file, const char* bytes, std::size_t size, std::error_code& error)
{
    for (;;) {
        const ssize_t written = ::write(Descriptor(file), bytes, size);
        if (written >= 0)
            return static_cast<std::size_t>(written);
        if (errno != EINTR) {
            error = LastError();
            return 0;
        }
    }
}

void Sync(NativeHandle file, std::error_code& error)
{
    if (::fsync(Descriptor(file)) != 0)
        error = LastError();
}

void Resize(NativeHandle file, std::uint64_t size, std::error_code& error)
{
    if (::ftruncate(Descriptor(file), static_cast<off_t>(size)) != 0
        || ::lseek(Descriptor(file), static_cast<off_t>(size), SEEK_SET) != static_cast<off_t>(size))
        error = LastError();
}

void SetPermissions(NativeHandle file, std::uint32_t permissions, std::error_code& error)
{
    if (::fchmod(Descriptor(file), static_cast<mode_t>(permissions & 07777)) != 0)
        error = LastError();
}

bool TryLock(NativeHandle file, std::error_code& error)
{
    for (;;) {
        if (::flock(Descriptor(file), LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            error = LastError();
        return false;
    }
}

EntryFacts Facts(NativeHandle file, std::error_code& error)
{
    struct stat status { };
    if (::fstat(Descriptor(file), &status) != 0) {
        error = LastError();
        return {};
    }
    return FactsOf(status);
}

NativeHandle OpenFolder(const fs::path& path, std::error_code& error)
{
    const int handle = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0) {
        error = errno == ENOTDIR ? std::error_code(FileRule::NotFolder) : LastError();
        return kNoNativeHandle;
    }
    return handle;
}

NativeHandle OpenFolderIn(NativeHandle folder, const fs::path&, const std::string& name, bool create,
                          std::error_code& error)
{
    if (create && ::mkdirat(Descriptor(folder), name.c_str(), 0777) != 0 && errno != EEXIST) {
        error = LastError();
        return kNoNativeHandle;
    }
    return OpenEntry(folder, name, O_RDONLY | O_DIRECTORY, EntryFacts::Kind::Folder, error);
}

NativeHandle OpenFileIn(NativeHandle folder, const fs::path&, const std::string& name, FileUse use,
                        std::error_code& error)
{
    switch (use) {
    case FileUse::Reading:
        return OpenEntry(folder, name, O_RDONLY, EntryFacts::Kind::Regular, error);
    case FileUse::CreateNew: {
        // The usual permissions of new files (0666 less the umask): a web
        // server must be able to read a new photo.
        const int handle =
            ::openat(Descriptor(folder), name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (handle < 0) {
            error = LastError();
            return kNoNativeHandle;
        }
        return handle;
    }
    case FileUse::Appending:
        return OpenEntry(folder, name, O_RDWR | O_APPEND | O_CREAT, EntryFacts::Kind::Regular, error);
    case FileUse::Updating:
        return OpenEntry(folder, name, O_RDWR | O_CREAT, EntryFacts::Kind::Regular, error);
    }
    return kNoNativeHandle;
}

EntryFacts Look(NativeHandle folder, const fs::path&, const std::string& name, std::error_code& error)
{
    struct stat status { };
    if (::fstatat(Descriptor(folder), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT)
            error = LastError();
        return {};
    }
    return FactsOf(status);
}

void Rename(NativeHandle folder, const fs::path&, const std::string& from, const std::string& to,
            std::error_code& error)
{
    if (::renameat(Descriptor(folder), from.c_str(), Descriptor(folder), to.c_str()) != 0)
        error = LastError();
}

void Remove(NativeHandle folder, const fs::path&, const std::string& name, std::error_code& error)
{
    if (::unlinkat(Descriptor(folder), name.c_str(), 0) != 0)
        error = LastError();
}

std::optional<SystemCause> CauseOfSystemError(const std::error_code&)
{
    return std::nullopt;
}

} // namespace NativeFiles

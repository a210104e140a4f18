#include "files/FolderHandle.h"

#include "files/detail/NativeFiles.h"

#include <algorithm>
#include <cerrno>
#include <utility>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kChunk = 1 << 16;

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

// One entry of a folder, nothing that would walk through others first.
bool IsEntryName(const std::string& name, std::error_code& error)
{
    if (name.empty() || name == "." || name == ".." || name.find('\0') != std::string::npos
        || name.find_first_of(NativeFiles::NameBreakers()) != std::string::npos) {
        error = FileRule::NotAName;
        return false;
    }
    return true;
}

} // namespace

// ---- FileHandle

FileHandle::~FileHandle()
{
    NativeFiles::Close(handle_);
}

FileHandle::FileHandle(FileHandle&& other) noexcept : handle_(std::exchange(other.handle_, kNoNativeHandle)) { }

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        NativeFiles::Close(handle_);
        handle_ = std::exchange(other.handle_, kNoNativeHandle);
    }
    return *this;
}

bool FileHandle::IsOpen() const
{
    return handle_ != kNoNativeHandle;
}

EntryFacts FileHandle::Facts(std::error_code& error) const
{
    return NativeFiles::Facts(handle_, error);
}

std::string FileHandle::ReadAll(std::uint64_t maxBytes, std::error_code& error)
{
    std::string bytes;
    char chunk[kChunk];
    for (;;) {
        const std::size_t got = NativeFiles::Read(handle_, chunk, sizeof chunk, error);
        if (error)
            return {};
        if (got == 0)
            return bytes;
        if (bytes.size() + got > maxBytes) {
            error = FileRule::TooLarge;
            return {};
        }
        bytes.append(chunk, got);
    }
}

std::string FileHandle::ReadAt(std::uint64_t offset, std::uint64_t length, std::error_code& error)
{
    std::string bytes;
    char chunk[kChunk];
    while (bytes.size() < length) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, length - bytes.size()));
        const std::size_t got = NativeFiles::ReadAt(handle_, offset + bytes.size(), chunk, want, error);
        if (error)
            return {};
        if (got == 0)
            break;
        bytes.append(chunk, got);
    }
    return bytes;
}

void FileHandle::WriteAll(const char* bytes, std::size_t size, std::error_code& error)
{
    while (size > 0 && !error) {
        const std::size_t written = NativeFiles::Write(handle_, bytes, size, error);
        bytes += written;
        size -= written;
    }
}

void FileHandle::Sync(std::error_code& error)
{
    NativeFiles::Sync(handle_, error);
}

void FileHandle::Resize(std::uint64_t size, std::error_code& error)
{
    NativeFiles::Resize(handle_, size, error);
}

void FileHandle::SetPermissions(std::uint32_t permissions, std::error_code& error)
{
    NativeFiles::SetPermissions(handle_, permissions, error);
}

bool FileHandle::TryLock(std::error_code& error)
{
    return NativeFiles::TryLock(handle_, error);
}

// ---- FolderHandle

FolderHandle::~FolderHandle()
{
    NativeFiles::Close(handle_);
}

FolderHandle::FolderHandle(FolderHandle&& other) noexcept
    : path_(std::move(other.path_)), handle_(std::exchange(other.handle_, kNoNativeHandle))
{
}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept
{
    if (this != &other) {
        NativeFiles::Close(handle_);
        path_ = std::move(other.path_);
        handle_ = std::exchange(other.handle_, kNoNativeHandle);
    }
    return *this;
}

bool FolderHandle::IsOpen() const
{
    return handle_ != kNoNativeHandle;
}

FolderHandle FolderHandle::Open(const fs::path& path, std::error_code& error)
{
    FolderHandle folder;
    folder.handle_ = NativeFiles::OpenFolder(path, error);
    if (error)
        return {};
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
    if (!IsEntryName(name, error))
        return {};
    FolderHandle folder;
    folder.handle_ = NativeFiles::OpenFolderIn(handle_, path_, name, create, error);
    if (error)
        return {};
    folder.path_ = path_ / NativeFiles::NamePath(name);
    return folder;
}

namespace {

// The handle of the regular file `name`, or none with `error` set.
NativeHandle OpenEntryFile(NativeHandle folder, const fs::path& folderPath, const std::string& name,
                           NativeFiles::FileUse use, std::error_code& error)
{
    if (!IsEntryName(name, error))
        return kNoNativeHandle;
    return NativeFiles::OpenFileIn(folder, folderPath, name, use, error);
}

} // namespace

FileHandle FolderHandle::OpenForReading(const std::string& name, std::error_code& error) const
{
    return FileHandle(OpenEntryFile(handle_, path_, name, NativeFiles::FileUse::Reading, error));
}

FileHandle FolderHandle::CreateNew(const std::string& name, std::error_code& error) const
{
    return FileHandle(OpenEntryFile(handle_, path_, name, NativeFiles::FileUse::CreateNew, error));
}

FileHandle FolderHandle::OpenForAppending(const std::string& name, std::error_code& error) const
{
    return FileHandle(OpenEntryFile(handle_, path_, name, NativeFiles::FileUse::Appending, error));
}

FileHandle FolderHandle::OpenForUpdating(const std::string& name, std::error_code& error) const
{
    return FileHandle(OpenEntryFile(handle_, path_, name, NativeFiles::FileUse::Updating, error));
}

EntryFacts FolderHandle::Look(const std::string& name, std::error_code& error) const
{
    if (!IsEntryName(name, error))
        return {};
    return NativeFiles::Look(handle_, path_, name, error);
}

void FolderHandle::Rename(const std::string& from, const std::string& to, std::error_code& error) const
{
    if (IsEntryName(from, error) && IsEntryName(to, error))
        NativeFiles::Rename(handle_, path_, from, to, error);
}

void FolderHandle::Remove(const std::string& name, std::error_code& error) const
{
    if (IsEntryName(name, error))
        NativeFiles::Remove(handle_, path_, name, error);
}

SystemCause CauseOf(const std::error_code& error)
{
    if (error == FileRule::NotRegular || error == FileRule::NotFolder)
        return SystemCause::IsLink;
    if (const std::optional<SystemCause> cause = NativeFiles::CauseOfSystemError(error))
        return *cause;
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

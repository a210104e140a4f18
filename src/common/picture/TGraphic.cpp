#include "common/picture/TGraphic.h"

#include "common/picture/DisplayColorDepth.h"
#include "common/picture/PictureErrors.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

// Closes a POSIX file descriptor on every path.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : fd_(fd)
    {
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept
        : fd_(other.Release())
    {
    }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other) {
            if (fd_ >= 0)
                ::close(fd_);
            fd_ = other.Release();
        }
        return *this;
    }
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int Get() const { return fd_; }
    int Release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// No picture the component can hold comes from a larger file (the largest grid
// plus room for headers and tables); the cap also ends reading a file that
// keeps growing.
constexpr std::uint64_t kMaxFileBytes = kMaxGridBytes + (std::uint64_t{1} << 20);

std::string FullPath(const std::filesystem::path& path)
{
    std::error_code ignored;
    const std::filesystem::path full = std::filesystem::absolute(path, ignored);
    return (full.empty() ? path : full.lexically_normal()).string();
}

std::string FileMessage(const char* what, const std::filesystem::path& path, const char* reason)
{
    return std::string(what) + " \"" + FullPath(path) + "\". " + reason;
}

std::string FileMessage(const char* what, const std::filesystem::path& path, int error)
{
    return FileMessage(what, path, std::strerror(error));
}

#ifndef O_NONBLOCK
#define O_NONBLOCK 0 // Windows: no named pipes among the files
#endif

// Opens without waiting (a named pipe would wait for its other end) and
// takes only a regular file; the type is checked on the opened file, so that
// nothing swapped in after a folder was listed gets read or written.
FileDescriptor OpenRegularFile(const std::filesystem::path& path, int flags, const char* what)
{
    FileDescriptor file(::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666));
    if (file.Get() < 0)
        throw EFOpenError(FileMessage(what, path, errno));
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0)
        throw EFOpenError(FileMessage(what, path, errno));
    if (!S_ISREG(status.st_mode))
        throw EFOpenError(FileMessage(what, path, "Not a regular file"));
#ifndef _WIN32
    ::fcntl(file.Get(), F_SETFL, ::fcntl(file.Get(), F_GETFL) & ~O_NONBLOCK);
#endif
    return file;
}

} // namespace

TGraphic::~TGraphic() = default;

void TGraphic::SetOnChange(std::function<void()> onChange)
{
    onChange_ = std::move(onChange);
}

void TGraphic::Changed()
{
    if (onChange_)
        onChange_();
}

void TGraphic::LoadFromFile(const std::filesystem::path& path)
{
    const FileDescriptor file = OpenRegularFile(path, O_RDONLY, "Cannot open file");
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0)
        throw EFOpenError(FileMessage("Cannot open file", path, errno));

    std::vector<std::uint8_t> bytes;
    if (static_cast<std::uint64_t>(status.st_size) > kMaxFileBytes)
        throw EOutOfResources(kOutOfResourcesMessage);
    if (status.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(status.st_size));
    std::uint8_t chunk[65536];
    for (;;) {
        const ssize_t got = ::read(file.Get(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw EReadError(kStreamReadErrorMessage);
        }
        if (got == 0)
            break;
        if (bytes.size() + static_cast<std::size_t>(got) > kMaxFileBytes)
            throw EOutOfResources(kOutOfResourcesMessage);
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    LoadFromStream(bytes);
}

void TGraphic::SaveToFile(const std::filesystem::path& path) const
{
    std::vector<std::uint8_t> bytes;
    SaveToStream(bytes);
    FileDescriptor file(-1);
    try {
        file = OpenRegularFile(path, O_WRONLY | O_CREAT | O_TRUNC, "Cannot create file");
    } catch (const EFOpenError& error) {
        throw EFCreateError(error.what());
    }
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t put = ::write(file.Get(), bytes.data() + written, bytes.size() - written);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            throw EWriteError(kStreamWriteErrorMessage);
        }
        written += static_cast<std::size_t>(put);
    }
    if (::close(file.Release()) != 0)
        throw EWriteError(kStreamWriteErrorMessage);
}

#include "common/picture/TGraphic.h"

#include "common/picture/DisplayColorDepth.h"
#include "common/picture/PictureErrors.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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
// plus room for headers and tables); the cap also ends reading from an
// endless source such as a device or a pipe.
constexpr std::uint64_t kMaxFileBytes = kMaxGridBytes + (std::uint64_t{1} << 20);

std::string FullPath(const std::filesystem::path& path)
{
    std::error_code ignored;
    const std::filesystem::path full = std::filesystem::absolute(path, ignored);
    return (full.empty() ? path : full.lexically_normal()).string();
}

std::string FileMessage(const char* what, const std::filesystem::path& path, int error)
{
    return std::string(what) + " \"" + FullPath(path) + "\". " + std::strerror(error);
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
    auto bytes = std::make_shared<std::vector<std::uint8_t>>();
    ReadFile(path, *bytes);
    LoadFromBytes(std::move(bytes));
}

void TGraphic::ReadFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes)
{
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0)
        throw EFOpenError(FileMessage("Cannot open file", path, errno));
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0)
        throw EFOpenError(FileMessage("Cannot open file", path, errno));
    if (S_ISDIR(status.st_mode))
        throw EFOpenError(FileMessage("Cannot open file", path, EISDIR));
    if (S_ISREG(status.st_mode) && static_cast<std::uint64_t>(status.st_size) > kMaxFileBytes)
        throw EOutOfResources(kOutOfResourcesMessage);

    // Straight into `bytes`: sized for the whole file when its size is known,
    // grown in steps for a source that does not tell (a pipe, a device).
    constexpr std::size_t kStep = 65536;
    std::size_t size = 0;
    bytes.resize(S_ISREG(status.st_mode) ? static_cast<std::size_t>(status.st_size) + 1 : kStep);
    for (;;) {
        if (size == bytes.size()) {
            if (size >= kMaxFileBytes)
                throw EOutOfResources(kOutOfResourcesMessage);
            bytes.resize(std::min<std::size_t>(size + std::max(kStep, size / 2), kMaxFileBytes + 1));
        }
        const ssize_t got = ::read(file.Get(), bytes.data() + size, bytes.size() - size);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw EReadError(kStreamReadErrorMessage);
        }
        if (got == 0)
            break;
        size += static_cast<std::size_t>(got);
    }
    if (size > kMaxFileBytes)
        throw EOutOfResources(kOutOfResourcesMessage);
    bytes.resize(size);
}

void TGraphic::SaveToFile(const std::filesystem::path& path) const
{
    std::vector<std::uint8_t> bytes;
    SaveToStream(bytes);
    WriteFile(path, bytes);
}

void TGraphic::WriteFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes)
{
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (file.Get() < 0)
        throw EFCreateError(FileMessage("Cannot create file", path, errno));
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

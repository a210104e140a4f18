#include "picture/FileBytes.h"

#include "picture/PictureErrors.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <string>
#include <system_error>

namespace {

// Reading asks for at least this much more when a file outgrows what its size
// announced (or announces none, as devices and some system files do).
constexpr std::size_t kGrowthStep = std::size_t{64} << 10;

// The full path as UTF-8, the encoding of every message text.
std::string FullPath(const std::filesystem::path& path)
{
    std::error_code ignored;
    const std::filesystem::path full = std::filesystem::absolute(path, ignored);
    const std::u8string text = (full.empty() ? path : full.lexically_normal()).u8string();
    return {text.begin(), text.end()};
}

std::string FileMessage(const char* what, const std::filesystem::path& path, const std::string& reason)
{
    return std::string(what) + " \"" + FullPath(path) + "\". " + reason;
}

std::string FileMessage(const char* what, const std::filesystem::path& path, std::error_code reason)
{
    return FileMessage(what, path, reason.message());
}

const std::string kNotRegular = "Not a regular file";

// The reason a stream failed to open. The standard streams report only that
// they failed; the C library below them leaves its reason in errno on every
// platform the tool is built for.
std::error_code OpenFailure(int savedErrno)
{
    return std::error_code(savedErrno != 0 ? savedErrno : EIO, std::generic_category());
}

} // namespace

void ReadFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    std::error_code statusError;
    const std::filesystem::file_status status = std::filesystem::status(path, statusError);
    // Some platforms open a folder as if it were a file and fail only when
    // reading; name the real reason at once.
    if (std::filesystem::is_directory(status))
        throw EFOpenError(FileMessage("Cannot open file", path, std::make_error_code(std::errc::is_a_directory)));
    // Only regular files (or links to them) are read: opening a named pipe
    // waits for a writer for ever, and a device may never end. The check is
    // made on the name just before opening; standard C++ cannot ask the
    // opened file itself, so a pipe swapped in at that very moment by someone
    // who can write the folder would still make the reading wait.
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        throw EFOpenError(FileMessage("Cannot open file", path, kNotRegular));

    errno = 0;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw EFOpenError(FileMessage("Cannot open file", path, OpenFailure(errno)));

    const std::uint64_t limit = kMaxPictureFileBytes;
    std::uint64_t announced = 0;
    if (std::filesystem::is_regular_file(status)) {
        std::error_code sizeError;
        const std::uintmax_t size = std::filesystem::file_size(path, sizeError);
        if (!sizeError && size > limit)
            throw EOutOfResources(kOutOfResourcesMessage);
        if (!sizeError)
            announced = size;
    }

    // Ask for one byte more than announced, so that a file of the size it
    // says is read, and its end seen, in one call. Anything past that grows
    // the vector step by step up to one byte over the limit, which is enough
    // to know the file is too large without reading on for ever.
    std::size_t have = 0;
    std::size_t want = static_cast<std::size_t>(announced) + 1;
    for (;;) {
        bytes.resize(want);
        file.read(reinterpret_cast<char*>(bytes.data() + have), static_cast<std::streamsize>(want - have));
        have += static_cast<std::size_t>(file.gcount());
        if (file.bad())
            throw EReadError(kStreamReadErrorMessage);
        if (file.eof())
            break;
        if (have > limit)
            throw EOutOfResources(kOutOfResourcesMessage);
        want = static_cast<std::size_t>(std::min<std::uint64_t>(have + std::max(have, kGrowthStep), limit + 1));
    }
    bytes.resize(have);
}

void WriteFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes)
{
    // A new file, or a regular one replaced; never a pipe or device written.
    std::error_code statusError;
    const std::filesystem::file_status status = std::filesystem::status(path, statusError);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        throw EFCreateError(FileMessage("Cannot create file", path, kNotRegular));
    errno = 0;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        throw EFCreateError(FileMessage("Cannot create file", path, OpenFailure(errno)));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file)
        throw EWriteError(kStreamWriteErrorMessage);
}

// Reading and writing whole files: every byte, into a buffer reused from file
// to file, and the component's errors for what cannot be read or written.
#include "PictureTestSupport.h"

#include "common/picture/FileBytes.h"

#include <functional>

namespace {

std::vector<std::uint8_t> Pattern(std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    return bytes;
}

TEST(FileBytes, ReadsEveryByteIntoOneReusedBuffer)
{
    const ScratchFolder folder;
    std::vector<std::uint8_t> buffer;
    // The largest first: every later file fits where it went. Sizes around the
    // step by which reading grows, and none at all.
    const std::size_t sizes[] = {300001, 65537, 65536, 65535, 1, 0};
    const std::uint8_t* storage = nullptr;
    for (std::size_t size : sizes) {
        const std::filesystem::path path = folder.Path() / ("f" + std::to_string(size) + ".jpg");
        WriteFileBytes(path, Pattern(size));
        ReadFileBytes(path, buffer);
        EXPECT_TRUE(buffer == Pattern(size)) << size << " bytes, " << buffer.size() << " read";
        if (storage == nullptr)
            storage = buffer.data();
        EXPECT_EQ(buffer.data(), storage) << size << ": the buffer was allocated anew";
    }
    // Writing replaces a longer file instead of writing over its start.
    const std::filesystem::path path = folder.Path() / "f300001.jpg";
    WriteFileBytes(path, Pattern(3));
    ReadFileBytes(path, buffer);
    EXPECT_TRUE(buffer == Pattern(3));

    // System files that announce no size (or a wrong one) are read to their
    // end all the same; only where the platform has such a file.
    const std::filesystem::path unannounced = "/proc/version";
    if (std::filesystem::exists(unannounced)) {
        ReadFileBytes(unannounced, buffer);
        EXPECT_TRUE(buffer == ReadBytes(unannounced));
        EXPECT_FALSE(buffer.empty());
    }
}

struct FailingRead {
    std::string name;
    // Makes the source in the folder; an empty path when the platform has no
    // such source.
    std::function<std::filesystem::path(const std::filesystem::path& folder)> make;
    std::string message;   // "%s" stands for the full path
};

void PrintTo(const FailingRead& row, std::ostream* out) { *out << row.name; }

class FileBytesFailures : public ::testing::TestWithParam<FailingRead> {};

TEST_P(FileBytesFailures, EndWithTheComponentsErrorAndNeverReadForEver)
{
    const ScratchFolder folder;
    const std::filesystem::path path = GetParam().make(folder.Path());
    if (path.empty())
        GTEST_SKIP() << "no such source here";
    std::string message = GetParam().message;
    if (const std::size_t at = message.find("%s"); at != std::string::npos)
        message.replace(at, 2, Utf8(path));
    std::vector<std::uint8_t> buffer;
    EXPECT_EQ(ErrorOf([&] { ReadFileBytes(path, buffer); }), message);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, FileBytesFailures,
    ::testing::Values(
        FailingRead{"Folder", [](const auto& folder) { return folder; }, "Cannot open file \"%s\". Is a directory"},
        // Refused by its size, without reading 257 MiB (a sparse file).
        FailingRead{"TooLarge",
                    [](const auto& folder) {
                        const std::filesystem::path path = folder / "large.jpg";
                        WriteFileBytes(path, {});
                        std::filesystem::resize_file(path, kMaxPictureFileBytes + 1);
                        return path;
                    },
                    "Out of system resources"},
        // Endless and without a size: cut off at the limit.
        FailingRead{"Endless",
                    [](const auto&) {
                        const std::filesystem::path zero = "/dev/zero";
                        return std::filesystem::exists(zero) ? zero : std::filesystem::path();
                    },
                    "Out of system resources"}),
    [](const auto& info) { return info.param.name; });

} // namespace

// Reading and writing whole files: every byte, into a buffer reused from file
// to file, and the component's errors for what cannot be read.
#include "picture/FileBytes.h"

#include "PictureTestSupport.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

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
    const std::uint8_t* storage = nullptr;
    // The largest first, so every later file fits where it went; sizes around
    // the step by which reading grows; 300001 and 1 share a name, so writing
    // must replace the longer file.
    for (std::size_t size : {300001, 65537, 65536, 65535, 1, 0, 3}) {
        const std::filesystem::path path = folder.Path() / ("f" + std::to_string(size % 300000) + ".jpg");
        WriteFileBytes(path, Pattern(size));
        ReadFileBytes(path, buffer);
        EXPECT_TRUE(buffer == Pattern(size)) << size << " bytes, " << buffer.size() << " read";
        EXPECT_EQ(buffer.data(), storage ? storage : (storage = buffer.data())) << size << ": allocated anew";
    }
    // A system file that announces no size is read to its end all the same.
    if (std::filesystem::exists("/proc/version")) {
        ReadFileBytes("/proc/version", buffer);
        EXPECT_TRUE(!buffer.empty() && buffer == ReadBytes("/proc/version"));
    }
}

TEST(FileBytes, FoldersTooLargeFilesAndWhatIsNotARegularFileFailWithTheComponentsError)
{
    const ScratchFolder folder;
    const std::filesystem::path large = folder.Path() / "large.jpg";
    WriteFileBytes(large, {});
    std::filesystem::resize_file(large, kMaxPictureFileBytes + 1); // sparse: refused by its size, not read
    std::vector<std::pair<std::filesystem::path, std::string>> rows{
        {folder.Path(), "Cannot open file \"" + Utf8(folder.Path()) + "\". Is a directory"},
        {large, "Out of system resources"}};
    // A device never ends and a named pipe waits for a writer for ever: only
    // regular files are read, and a pipe is not written either.
    if (std::filesystem::exists("/dev/zero"))
        rows.emplace_back("/dev/zero", "Cannot open file \"/dev/zero\". Not a regular file");
#ifndef _WIN32
    const std::filesystem::path pipe = folder.Path() / "pipe.jpg";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    rows.emplace_back(pipe, "Cannot open file \"" + Utf8(pipe) + "\". Not a regular file");
    EXPECT_EQ(ErrorOf([&] { WriteFileBytes(pipe, std::vector<std::uint8_t>{1}); }),
              "Cannot create file \"" + Utf8(pipe) + "\". Not a regular file");
#endif
    std::vector<std::uint8_t> buffer;
    for (const auto& [path, message] : rows)
        EXPECT_EQ(ErrorOf([&] { ReadFileBytes(path, buffer); }), message) << Utf8(path);
}

} // namespace

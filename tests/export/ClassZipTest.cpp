#include "export/ClassZip.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <zip.h>

namespace {

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};

// The general purpose flags of the local header that names `name` (bit 11
// says the name is UTF-8); found by its signature "PK\3\4".
std::optional<std::uint16_t> LocalFlags(const std::vector<std::uint8_t>& bytes, const QByteArray& name)
{
    for (std::size_t at = 0; at + 30 <= bytes.size(); ++at) {
        if (bytes[at] != 'P' || bytes[at + 1] != 'K' || bytes[at + 2] != 3 || bytes[at + 3] != 4)
            continue;
        const std::size_t length = bytes[at + 26] | (bytes[at + 27] << 8);
        if (at + 30 + length <= bytes.size()
            && QByteArray(reinterpret_cast<const char*>(bytes.data() + at + 30), static_cast<qsizetype>(length))
                   == name)
            return static_cast<std::uint16_t>(bytes[at + 6] | (bytes[at + 7] << 8));
    }
    return std::nullopt;
}

TEST(ClassZipTest, ReadsBackWithLibzipNamesInUtf8)
{
    const QList<ZipEntry> entries{{QStringLiteral("110101200801011234.jpg"), std::vector<std::uint8_t>(5000, 7)},
                                  {QStringLiteral("4401234567_初一1班_张伟.jpg"), std::vector<std::uint8_t>(300, 9)},
                                  {QStringLiteral("empty.jpg"), {}}};
    const std::vector<std::uint8_t> bytes = ZipOf(entries);
    ASSERT_GT(bytes.size(), 5300U);

    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    ASSERT_NE(source, nullptr);
    std::unique_ptr<zip_t, ArchiveCloser> archive(zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error));
    ASSERT_TRUE(archive) << zip_error_strerror(&error);
    ASSERT_EQ(zip_get_num_entries(archive.get(), 0), entries.size());
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(entries.size()); ++i) {
        const ZipEntry& entry = entries[static_cast<qsizetype>(i)];
        zip_stat_t stat;
        ASSERT_EQ(zip_stat_index(archive.get(), i, ZIP_FL_ENC_STRICT, &stat), 0);
        // Read strictly as UTF-8, as the flag promises.
        EXPECT_EQ(QString::fromUtf8(stat.name), entry.name);
        EXPECT_EQ(stat.size, entry.bytes.size());
        std::vector<std::uint8_t> read(entry.bytes.size() + 1);
        zip_file_t* file = zip_fopen_index(archive.get(), i, 0);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(zip_fread(file, read.data(), read.size()), static_cast<zip_int64_t>(entry.bytes.size()));
        zip_fclose(file);
        read.resize(entry.bytes.size());
        EXPECT_EQ(read, entry.bytes);
    }
    // The Chinese name's local header carries the UTF-8 flag: what Windows'
    // own zip tool goes by.
    const std::optional<std::uint16_t> flags = LocalFlags(bytes, entries[1].name.toUtf8());
    ASSERT_TRUE(flags.has_value());
    EXPECT_NE(*flags & 0x0800, 0);
}

TEST(ClassZipTest, NoEntriesNoArchive)
{
    EXPECT_TRUE(ZipOf({}).empty());
}

} // namespace

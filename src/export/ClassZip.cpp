#include "export/ClassZip.h"

#include <memory>
#include <string>
#include <zip.h>

namespace {

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct SourceFreer {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;
using Source = std::unique_ptr<zip_source_t, SourceFreer>;

[[noreturn]] void Fail(zip_error_t* error)
{
    const std::string message = zip_error_strerror(error);
    throw EZipError("zip: " + message);
}

// The bytes a closed archive left in its buffer source.
std::vector<std::uint8_t> SourceBytes(zip_source_t* source)
{
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_open(source) < 0)
        Fail(zip_source_error(source));
    std::vector<std::uint8_t> bytes;
    if (zip_source_stat(source, &stat) < 0 || (stat.valid & ZIP_STAT_SIZE) == 0) {
        zip_source_close(source);
        Fail(zip_source_error(source));
    }
    bytes.resize(stat.size);
    const zip_int64_t read = zip_source_read(source, bytes.data(), bytes.size());
    zip_source_close(source);
    if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size)
        throw EZipError("zip: the archive could not be read back from memory");
    return bytes;
}

} // namespace

std::vector<std::uint8_t> ZipOf(const QList<ZipEntry>& entries)
{
    zip_error_t error;
    zip_error_init(&error);
    Source buffer(zip_source_buffer_create(nullptr, 0, 0, &error));
    if (!buffer)
        Fail(&error);
    Archive archive(zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error));
    if (!archive)
        Fail(&error);
    // The archive takes the source over; kept, it outlives the closing.
    zip_source_keep(buffer.get());
    for (const ZipEntry& entry : entries) {
        // libzip reads the bytes when the archive is closed; the entries outlive that.
        zip_source_t* file = zip_source_buffer(archive.get(), entry.bytes.data(), entry.bytes.size(), 0);
        if (file == nullptr)
            Fail(zip_get_error(archive.get()));
        const zip_int64_t index = zip_file_add(archive.get(), entry.name.toUtf8().constData(), file, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(file);
            Fail(zip_get_error(archive.get()));
        }
        if (zip_set_file_compression(archive.get(), static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0) < 0)
            Fail(zip_get_error(archive.get()));
    }
    if (zip_close(archive.get()) < 0)
        Fail(zip_get_error(archive.get()));
    static_cast<void>(archive.release()); // closed: nothing left to discard
    // An archive without entries is no file at all: libzip deletes it.
    if (zip_source_is_deleted(buffer.get()) != 0)
        return {};
    return SourceBytes(buffer.get());
}

#include "picture/ExifCaptureTime.h"

#include "picture/detail/ExifReading.h"

#include <libexif/exif-data.h>

#include <memory>

namespace {

struct ExifDataRelease {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

constexpr std::uint8_t kMarker = 0xFF;
constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kApp1 = 0xE1;
constexpr std::uint8_t kStartOfScan = 0xDA;

// The first EXIF payload among the segments before the scan; empty when none.
std::span<const std::uint8_t> ExifPayload(std::span<const std::uint8_t> file)
{
    if (file.size() < 4 || file[0] != kMarker || file[1] != kStartOfImage)
        return {};
    std::size_t at = 2;
    while (at + 4 <= file.size()) {
        if (file[at] != kMarker)
            return {};
        const std::uint8_t marker = file[at + 1];
        if (marker == kMarker) { // fill byte
            ++at;
            continue;
        }
        if (marker == kStartOfScan)
            return {};
        const std::size_t length = (std::size_t{file[at + 2]} << 8) | file[at + 3];
        if (length < 2 || at + 2 + length > file.size())
            return {};
        const std::span<const std::uint8_t> payload = file.subspan(at + 4, length - 2);
        if (marker == kApp1 && IsExifPayload(payload))
            return payload;
        at += 2 + length;
    }
    return {};
}

// The text of an ASCII tag, without its closing zero; nothing when absent or empty.
std::optional<std::string> AsciiTag(ExifContent* content, ExifTag tag)
{
    ExifEntry* entry = exif_content_get_entry(content, tag);
    if (entry == nullptr || entry->format != EXIF_FORMAT_ASCII || entry->data == nullptr || entry->size == 0)
        return std::nullopt;
    std::string text(reinterpret_cast<const char*>(entry->data), entry->size);
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    // Cameras without a set clock write blanks or zeros.
    if (text.empty() || text.find_first_not_of(" :0") == std::string::npos)
        return std::nullopt;
    return text;
}

} // namespace

std::optional<std::string> ExifCaptureTime(std::span<const std::uint8_t> jpegFile)
{
    const std::span<const std::uint8_t> payload = ExifPayload(jpegFile);
    if (payload.empty())
        return std::nullopt;
    std::unique_ptr<ExifData, ExifDataRelease> data(exif_data_new());
    if (!data)
        return std::nullopt;
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_set_option(data.get(), EXIF_DATA_OPTION_DONT_CHANGE_MAKER_NOTE);
    exif_data_load_data(data.get(), payload.data(), static_cast<unsigned int>(payload.size()));
    if (std::optional<std::string> original = AsciiTag(data->ifd[EXIF_IFD_EXIF], EXIF_TAG_DATE_TIME_ORIGINAL))
        return original;
    return AsciiTag(data->ifd[EXIF_IFD_0], EXIF_TAG_DATE_TIME);
}

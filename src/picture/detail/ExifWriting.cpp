#include "picture/detail/ExifWriting.h"

#include <libexif/exif-data.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

namespace {

struct ExifDataRelease {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

struct MallocRelease {
    void operator()(unsigned char* bytes) const { std::free(bytes); }
};

constexpr char kDateTimeForm[] = "0000:00:00 00:00:00";
constexpr std::size_t kDateTimeLength = sizeof kDateTimeForm - 1;

// Adds the tag to the EXIF directory, as libexif lays it out, and gives its
// entry (held by the directory).
ExifEntry* AddExifTag(ExifData& data, ExifTag tag)
{
    ExifEntry* entry = exif_entry_new();
    if (entry == nullptr)
        throw std::bad_alloc();
    exif_content_add_entry(data.ifd[EXIF_IFD_EXIF], entry);
    exif_entry_unref(entry); // the directory keeps its own reference
    exif_entry_initialize(entry, tag);
    return entry;
}

} // namespace

bool IsExifDateTime(const std::string& text)
{
    if (text.size() != kDateTimeLength)
        return false;
    for (std::size_t i = 0; i < kDateTimeLength; ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (kDateTimeForm[i] == '0' ? !digit : text[i] != kDateTimeForm[i])
            return false;
    }
    auto number = [&text](std::size_t at, std::size_t length) { return std::atoi(text.substr(at, length).c_str()); };
    const int month = number(5, 2);
    const int day = number(8, 2);
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && number(11, 2) <= 23 && number(14, 2) <= 59
           && number(17, 2) <= 59;
}

std::vector<std::uint8_t> CaptureTimeExif(const std::string& captureTime)
{
    if (!IsExifDateTime(captureTime))
        throw std::invalid_argument("an EXIF capture time is YYYY:MM:DD HH:MM:SS");
    std::unique_ptr<ExifData, ExifDataRelease> data(exif_data_new());
    if (!data)
        throw std::bad_alloc();
    // Only what is set here is written: no tags added by libexif's own
    // notion of what a camera's file must hold.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_set_byte_order(data.get(), EXIF_BYTE_ORDER_INTEL);

    // libexif fills a new version tag with the version it writes.
    AddExifTag(*data, EXIF_TAG_EXIF_VERSION);
    // A new time tag starts as the present time, 20 bytes with the closing
    // zero; the capture time replaces it.
    ExifEntry* time = AddExifTag(*data, EXIF_TAG_DATE_TIME_ORIGINAL);
    if (time->data == nullptr || time->size != kDateTimeLength + 1)
        throw std::bad_alloc();
    std::memcpy(time->data, captureTime.c_str(), kDateTimeLength + 1);

    unsigned char* bytes = nullptr;
    unsigned int size = 0;
    exif_data_save_data(data.get(), &bytes, &size);
    const std::unique_ptr<unsigned char, MallocRelease> saved(bytes);
    if (saved == nullptr || size == 0)
        throw std::bad_alloc();
    return {saved.get(), saved.get() + size};
}

#include "picture/detail/ExifReading.h"

#include <libexif/exif-data.h>

#include <algorithm>
#include <iterator>
#include <memory>

namespace {

struct ExifDataRelease {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

} // namespace

bool IsExifPayload(std::span<const std::uint8_t> app1Payload)
{
    static constexpr std::uint8_t kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};
    return app1Payload.size() >= sizeof kExifHeader
           && std::equal(std::begin(kExifHeader), std::end(kExifHeader), app1Payload.begin());
}

ExifOrientation OrientationFromExif(std::span<const std::uint8_t> app1Payload)
{
    if (!IsExifPayload(app1Payload))
        return ExifOrientation::TopLeft;
    std::unique_ptr<ExifData, ExifDataRelease> data(exif_data_new());
    if (!data)
        return ExifOrientation::TopLeft;
    // Only one tag is wanted: skip the maker notes and leave the data as the
    // camera wrote it.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_set_option(data.get(), EXIF_DATA_OPTION_DONT_CHANGE_MAKER_NOTE);
    exif_data_load_data(data.get(), app1Payload.data(), static_cast<unsigned int>(app1Payload.size()));
    // The first directory describes the photo; the second, when present,
    // describes its thumbnail and may say something else.
    ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (entry == nullptr || entry->format != EXIF_FORMAT_SHORT || entry->components != 1 || entry->data == nullptr
        || entry->size < 2)
        return ExifOrientation::TopLeft;
    const ExifShort value = exif_get_short(entry->data, exif_data_get_byte_order(data.get()));
    if (value < 1 || value > 8)
        return ExifOrientation::TopLeft;
    return static_cast<ExifOrientation>(value);
}

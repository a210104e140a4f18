// The orientation tag read out of EXIF payloads: only a valid value in the
// photo's own directory counts.
#include "ExifPayload.h"
#include "PictureTestSupport.h"

#include "common/picture/ExifOrientation.h"

namespace {

TEST(ExifOrientation, OnlyAValidTagOfThePhotosOwnDirectoryCounts)
{
    const std::vector<std::uint8_t> six = ExifPayload(6);
    const struct {
        const char* what;
        std::vector<std::uint8_t> payload;
        ExifOrientation expected;
    } rows[] = {
        {"Intel order", six, ExifOrientation::RightTop},
        {"Motorola order", ExifPayload(8, 0, true), ExifOrientation::LeftBottom},
        {"value 0", ExifPayload(0), ExifOrientation::TopLeft},
        {"value 9", ExifPayload(9), ExifOrientation::TopLeft},
        {"the thumbnail's tag", ExifPayload(6, 1), ExifOrientation::TopLeft},
        {"cut inside the directory", std::vector<std::uint8_t>(six.begin(), six.begin() + 20), ExifOrientation::TopLeft},
        {"XMP, not EXIF", std::vector<std::uint8_t>{'h', 't', 't', 'p', ':', '/', '/'}, ExifOrientation::TopLeft},
    };
    for (const auto& row : rows)
        EXPECT_EQ(OrientationFromExif(row.payload), row.expected) << row.what;
}

} // namespace

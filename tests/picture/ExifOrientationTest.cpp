// The orientation tag read out of EXIF payloads: only a valid value in the
// photo's own directory counts.
#include "ExifPayload.h"
#include "PictureTestSupport.h"
#include "picture/detail/ExifReading.h"

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
        {"cut inside the directory", std::vector<std::uint8_t>(six.begin(), six.begin() + 20),
         ExifOrientation::TopLeft},
        {"XMP, not EXIF", std::vector<std::uint8_t>{'h', 't', 't', 'p', ':', '/', '/'}, ExifOrientation::TopLeft},
    };
    for (const auto& row : rows)
        EXPECT_EQ(OrientationFromExif(row.payload), row.expected) << row.what;
}

TEST(ExifOrientation, OnlyAPayloadStartingWithTheFullExifHeaderIsExif)
{
    const struct {
        const char* what;
        std::vector<std::uint8_t> payload;
        bool expected;
    } rows[] = {
        {"a whole EXIF payload", ExifPayload(6), true},
        {"the header alone", {'E', 'x', 'i', 'f', 0, 0}, true},
        {"one zero short", {'E', 'x', 'i', 'f', 0}, false},
        {"a letter for the second zero", {'E', 'x', 'i', 'f', 0, 'x'}, false},
        {"other case", {'e', 'x', 'i', 'f', 0, 0}, false},
        {"XMP", {'h', 't', 't', 'p', ':', '/', '/'}, false},
        {"empty", {}, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(IsExifPayload(row.payload), row.expected) << row.what;
}

} // namespace

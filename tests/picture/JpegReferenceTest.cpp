// JPEG images: decoding held against djpeg, libjpeg-turbo's own tool, pixel
// for pixel.
#include "ReferenceImages.h"

#include <initializer_list>

namespace {

// Colour files decode to djpeg -bmp's pixels, grey ones to those of djpeg
// -bmp -colors 236 (the display's grey levels). Damaged files, and those
// djpeg itself cannot decode, must end as djpeg ends: a failure with
// libjpeg's code, or the same pixels; never a crash.
enum class Kind { Color, Grey, Damaged };

struct JpegFile {
    std::string file; // under jpeg/
    Kind kind;
    int orientation = 1; // what the file's EXIF data says
};

void PrintTo(const JpegFile& row, std::ostream* out)
{
    *out << row.file;
}

// Rows of files under jpeg/, named without their ".jpg".
std::vector<JpegFile> Rows(Kind kind, std::initializer_list<const char*> files)
{
    std::vector<JpegFile> rows;
    for (const char* file : files)
        rows.push_back({std::string(file) + ".jpg", kind});
    return rows;
}

std::string RowName(const ::testing::TestParamInfo<JpegFile>& info)
{
    return NameOf(info.param.file);
}

class JpegFiles : public ::testing::TestWithParam<JpegFile> { };

TEST_P(JpegFiles, DecodeLikeDjpeg)
{
    const Kind kind = GetParam().kind;
    const std::filesystem::path path = TestData("jpeg/" + GetParam().file);
    const QStringList arguments = kind == Kind::Grey ? QStringList{"-colors", "236"} : QStringList{};
    const QImage reference =
        UprightReference(DecodeWithDjpeg(QString::fromStdString(path.string()), arguments), GetParam().orientation);
    TJPEGImage jpeg;
    std::optional<int> failure; // libjpeg's message code, from loading or decoding
    try {
        jpeg.LoadFromFile(path);
        jpeg.DecodedBitmap();
    } catch (const EJPEG& error) {
        EXPECT_EQ(std::string(error.what()), "JPEG error #" + std::to_string(error.MessageCode()));
        failure = error.MessageCode();
    }
    if (kind == Kind::Damaged && reference.isNull()) {
        EXPECT_NE(failure, std::nullopt) << "djpeg fails on this file";
        return;
    }
    ASSERT_FALSE(reference.isNull()) << "djpeg failed";
    ASSERT_EQ(failure, std::nullopt);
    EXPECT_EQ(static_cast<int>(jpeg.Orientation()), GetParam().orientation);
    const TBitmap& bitmap = jpeg.DecodedBitmap();
    if (kind == Kind::Grey) {
        EXPECT_EQ(bitmap.BitsPerPixel(), 8);
        EXPECT_LE(bitmap.ColorTable().size(), 236U);
        for (TColor entry : bitmap.ColorTable())
            EXPECT_TRUE(GetRValue(entry) == GetGValue(entry) && GetGValue(entry) == GetBValue(entry)) << entry;
    } else if (kind == Kind::Color) {
        EXPECT_EQ(bitmap.BitsPerPixel(), 24);
        EXPECT_FALSE(bitmap.IsDisplayForm());
    } else if (jpeg.Components() == 1) {
        return; // djpeg -bmp writes grey without quantising; grey files are checked above
    }
    EXPECT_EQ(bitmap.Width(), jpeg.Width());
    EXPECT_EQ(bitmap.Height(), jpeg.Height());
    EXPECT_TRUE(SamePixels(bitmap, reference));
}

INSTANTIATE_TEST_SUITE_P(Color, JpegFiles,
                         ::testing::ValuesIn(Rows(Kind::Color, {"libjpeg-turbo/testorig",
                                                                "libjpeg-turbo/testimgint",
                                                                "libjpeg-turbo/testimgari",
                                                                "libjpeg-turbo/testimgp",
                                                                "libjpeg-turbo/testimgcrop",
                                                                "libjpeg-turbo/testimgflt",
                                                                "libjpeg-turbo/testimgfst",
                                                                "libjpeg-turbo/testimgfst100",
                                                                "photos/biden",
                                                                "photos/obama",
                                                                "photos/obama2",
                                                                "photos/obama-240p",
                                                                "photos/obama_and_biden",
                                                                "photos/obama_backstage_the_white_house",
                                                                "photos/hopper",
                                                                "photos/Portrait_1",
                                                                "photos/camera_sony_a6400_DSC00007",
                                                                "special/pil_sample_cmyk",
                                                                "special/mozilla-jpg-cmyk-1",
                                                                "special/mozilla-jpg-cmyk-2",
                                                                "special/mozilla-jpg-progressive",
                                                                "special/mozilla-jpg-size-1x1",
                                                                "special/mozilla-jpg-size-2x2",
                                                                "special/mozilla-jpg-size-7x7",
                                                                "special/mozilla-jpg-size-8x8",
                                                                "special/mozilla-jpg-size-15x15",
                                                                "special/mozilla-jpg-size-16x16",
                                                                "special/mozilla-jpg-size-17x17",
                                                                "special/mozilla-jpg-size-33x33",
                                                                "special/restarts",
                                                                "special/16bit-qtables",
                                                                "special/non-interleaved-mcu",
                                                                "special/mjpeg",
                                                                "special/progressive3",
                                                                "corrupt/sharp-truncated",
                                                                "corrupt/pillow-truncated_jpeg",
                                                                "corrupt/partial_progressive"})),
                         RowName);

// Shrunk on load, progressive files too (whole or cut short) decode to
// djpeg's pixels at that scale.
TEST(ProgressiveJpeg, AtOneEighthDecodesLikeDjpeg)
{
    for (const char* file :
         {"libjpeg-turbo/testimgp.jpg", "photos/obama_and_biden.jpg", "photos/obama_backstage_the_white_house.jpg",
          "special/mozilla-jpg-progressive.jpg", "special/progressive3.jpg", "special/non-interleaved-mcu.jpg",
          "corrupt/partial_progressive.jpg", "corrupt/progressive-missing-ac.jpg"}) {
        SCOPED_TRACE(file);
        const std::filesystem::path path = TestData(std::string("jpeg/") + file);
        const QImage reference = DecodeWithDjpeg(QString::fromStdString(path.string()), {"-scale", "1/8"});
        ASSERT_FALSE(reference.isNull());
        TJPEGImage jpeg;
        jpeg.LoadFromFile(path);
        EXPECT_TRUE(SamePixels(*jpeg.ScaledBitmap(1), reference));
    }
}

// Camera files stored sideways decode to djpeg's pixels turned upright.
INSTANTIATE_TEST_SUITE_P(Tagged, JpegFiles,
                         ::testing::Values(JpegFile{"photos/hopper_orientation_6.jpg", Kind::Color, 6},
                                           JpegFile{"photos/Portrait_6.jpg", Kind::Color, 6},
                                           JpegFile{"photos/camera_nikon_d3100_DSC_0008_orient8.jpg", Kind::Color, 8}),
                         RowName);

INSTANTIATE_TEST_SUITE_P(
    Grey, JpegFiles,
    ::testing::ValuesIn(Rows(Kind::Grey, {"libjpeg-turbo/testimggray", "photos/hopper_gray", "photos/concert",
                                          "photos/derived_biden_gray", "special/mozilla-jpg-gray",
                                          "special/grayscale_16x24_sampling2x2", "special/mozilla-jpg-srgb-icc"})),
    RowName);

INSTANTIATE_TEST_SUITE_P(Damaged, JpegFiles,
                         ::testing::ValuesIn(Rows(Kind::Damaged,
                                                  {"libjpeg-turbo/testorig12",
                                                   "libjpeg-turbo/monkey12",
                                                   "special/jpeg_lossless_sel1",
                                                   "corrupt/empty",
                                                   "corrupt/missing-frame-image-1410",
                                                   "corrupt/missing-sof",
                                                   "corrupt/missing-sos",
                                                   "corrupt/null_height",
                                                   "corrupt/max_size",
                                                   "corrupt/invalid-dimensions",
                                                   "corrupt/dc-predictor-overflow",
                                                   "corrupt/derive-huffman-codes-overflow",
                                                   "corrupt/subtract-with-overflow",
                                                   "corrupt/multiple-0xff-before-eoi",
                                                   "corrupt/progressive-missing-ac",
                                                   "corrupt/progressive-missing-dc",
                                                   "corrupt/extraneous-data",
                                                   "corrupt/imagetestsuite-f012a4321f00f12af6b1eee7580ffb9c",
                                                   "corrupt/imagetestsuite-28968137f4fc75fbf56f16d7a7a8551a",
                                                   "corrupt/imagetestsuite-194531363df5b73f59c4c0517422f917",
                                                   "corrupt/imagetestsuite-4085c929e00c446d3fee18b5b20a27f9",
                                                   "corrupt/imagetestsuite-a7326ba8f3f4559991126474dd30083d",
                                                   "corrupt/imagetestsuite-3976a754ef0aca80e84e2c403d714579",
                                                   "corrupt/sharp-corrupt-header"})),
                         RowName);

} // namespace

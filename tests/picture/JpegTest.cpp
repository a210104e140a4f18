// JPEG images: decoding held against djpeg, libjpeg-turbo's own tool, pixel
// for pixel; loading and decoding failures; decoding once.
#include "PictureTestSupport.h"

#include <initializer_list>
#include <span>

namespace {

// Colour files decode to djpeg -bmp's pixels, grey ones to those of djpeg
// -bmp -colors 236 (the display's grey levels). Damaged files, and those
// djpeg itself cannot decode, must end as djpeg ends: a failure with
// libjpeg's code, or the same pixels; never a crash.
enum class Kind { Colour, Grey, Damaged };

struct JpegFile {
    std::string file;  // under jpeg/
    Kind kind;
    int orientation = 1;  // what the file's EXIF data says
};

void PrintTo(const JpegFile& row, std::ostream* out) { *out << row.file; }

// Rows of files under jpeg/, named without their ".jpg".
std::vector<JpegFile> Rows(Kind kind, std::initializer_list<const char*> files)
{
    std::vector<JpegFile> rows;
    for (const char* file : files)
        rows.push_back({std::string(file) + ".jpg", kind});
    return rows;
}

std::string RowName(const ::testing::TestParamInfo<JpegFile>& info) { return NameOf(info.param.file); }

class JpegFiles : public ::testing::TestWithParam<JpegFile> {};

TEST_P(JpegFiles, DecodeLikeDjpeg)
{
    const Kind kind = GetParam().kind;
    const std::filesystem::path path = TestData("jpeg/" + GetParam().file);
    QStringList arguments{QStringLiteral("-bmp")};
    if (kind == Kind::Grey)
        arguments << QStringLiteral("-colors") << QStringLiteral("236");
    const QImage reference = UprightReference(DecodeWithDjpeg(path, arguments), GetParam().orientation);
    TJPEGImage jpeg;
    std::optional<int> failure;  // libjpeg's message code, from loading or decoding
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
    } else if (kind == Kind::Colour) {
        EXPECT_EQ(bitmap.BitsPerPixel(), 24);
        EXPECT_FALSE(bitmap.IsDisplayForm());
    } else if (jpeg.Components() == 1) {
        return;  // djpeg -bmp writes grey without quantising; grey files are checked above
    }
    EXPECT_EQ(bitmap.Width(), jpeg.Width());
    EXPECT_EQ(bitmap.Height(), jpeg.Height());
    EXPECT_TRUE(SamePixels(bitmap, reference));
}

INSTANTIATE_TEST_SUITE_P(Colour, JpegFiles, ::testing::ValuesIn(Rows(Kind::Colour, {
    "libjpeg-turbo/testorig", "libjpeg-turbo/testimgint", "libjpeg-turbo/testimgari", "libjpeg-turbo/testimgp",
    "libjpeg-turbo/testimgcrop", "libjpeg-turbo/testimgflt", "libjpeg-turbo/testimgfst",
    "libjpeg-turbo/testimgfst100", "photos/biden", "photos/obama", "photos/obama2", "photos/obama-240p",
    "photos/obama_and_biden", "photos/obama_backstage_the_white_house", "photos/hopper",
    "photos/Portrait_1", "photos/camera_sony_a6400_DSC00007",
    "special/pil_sample_cmyk", "special/mozilla-jpg-cmyk-1",
    "special/mozilla-jpg-cmyk-2", "special/mozilla-jpg-progressive", "special/mozilla-jpg-size-1x1",
    "special/mozilla-jpg-size-2x2", "special/mozilla-jpg-size-7x7", "special/mozilla-jpg-size-8x8",
    "special/mozilla-jpg-size-15x15", "special/mozilla-jpg-size-16x16", "special/mozilla-jpg-size-17x17",
    "special/mozilla-jpg-size-33x33", "special/restarts", "special/16bit-qtables", "special/non-interleaved-mcu",
    "special/mjpeg", "special/progressive3", "corrupt/sharp-truncated", "corrupt/pillow-truncated_jpeg",
    "corrupt/partial_progressive"
})), RowName);

// Camera files stored sideways decode to djpeg's pixels turned upright.
INSTANTIATE_TEST_SUITE_P(Tagged, JpegFiles, ::testing::Values(
    JpegFile{"photos/hopper_orientation_6.jpg", Kind::Colour, 6}, JpegFile{"photos/Portrait_6.jpg", Kind::Colour, 6},
    JpegFile{"photos/camera_nikon_d3100_DSC_0008_orient8.jpg", Kind::Colour, 8}), RowName);

INSTANTIATE_TEST_SUITE_P(Grey, JpegFiles, ::testing::ValuesIn(Rows(Kind::Grey, {
    "libjpeg-turbo/testimggray", "photos/hopper_gray", "photos/concert", "photos/derived_biden_gray",
    "special/mozilla-jpg-gray", "special/grayscale_16x24_sampling2x2", "special/mozilla-jpg-srgb-icc"
})), RowName);

INSTANTIATE_TEST_SUITE_P(Damaged, JpegFiles, ::testing::ValuesIn(Rows(Kind::Damaged, {
    "libjpeg-turbo/testorig12", "libjpeg-turbo/monkey12", "special/jpeg_lossless_sel1", "corrupt/empty",
    "corrupt/missing-frame-image-1410", "corrupt/missing-sof", "corrupt/missing-sos", "corrupt/null_height",
    "corrupt/max_size", "corrupt/invalid-dimensions", "corrupt/dc-predictor-overflow",
    "corrupt/derive-huffman-codes-overflow", "corrupt/subtract-with-overflow", "corrupt/multiple-0xff-before-eoi",
    "corrupt/progressive-missing-ac", "corrupt/progressive-missing-dc", "corrupt/extraneous-data",
    "corrupt/imagetestsuite-f012a4321f00f12af6b1eee7580ffb9c",
    "corrupt/imagetestsuite-28968137f4fc75fbf56f16d7a7a8551a",
    "corrupt/imagetestsuite-194531363df5b73f59c4c0517422f917",
    "corrupt/imagetestsuite-4085c929e00c446d3fee18b5b20a27f9",
    "corrupt/imagetestsuite-a7326ba8f3f4559991126474dd30083d",
    "corrupt/imagetestsuite-3976a754ef0aca80e84e2c403d714579", "corrupt/sharp-corrupt-header"
})), RowName);

std::vector<std::uint8_t> Hopper()
{
    return ReadBytes(TestData("jpeg/photos/hopper.jpg"));
}

TEST(JpegImage, NonJpegDataFailsAtLoadWithCode53AndEmptyDataAtFirstUseWith42)
{
    TJPEGImage jpeg;
    EXPECT_EQ(ErrorOf<EJPEG>([&] { jpeg.LoadFromFile(TestData("bmpsuite/g/rgb24.bmp")); }), "JPEG error #53");
    EXPECT_TRUE(jpeg.Empty());

    TJPEGImage empty;
    ASSERT_NO_THROW(empty.LoadFromStream({}));
    TBitmap surface;
    surface.SetSize(10, 10);
    for (int attempt = 0; attempt < 2; ++attempt)
        EXPECT_EQ(ErrorOf<EJPEG>([&] { surface.Canvas().StretchDraw(TRect{0, 0, 10, 10}, &empty); }),
                  "JPEG error #42");
    TBitmap assigned;
    EXPECT_EQ(ErrorOf<EJPEG>([&] { assigned.Assign(&empty); }), "JPEG error #42");
    EXPECT_EQ(empty.DecodeCount(), 1) << "a failed decoding is not retried";
    EXPECT_TRUE(PixelsAre(surface, White));
}

TEST(JpegImage, CutInsideTheScanDecodesAtFullSizeCutBeforeItFailsAtLoad)
{
    const std::vector<std::uint8_t> whole = Hopper();
    TJPEGImage full;
    full.LoadFromStream(whole);
    TJPEGImage cut;
    ASSERT_NO_THROW(cut.LoadFromStream(std::span(whole).first(whole.size() / 2)));
    const TBitmap& decoded = cut.DecodedBitmap();
    ASSERT_TRUE(SameSize(decoded, 128, 128));
    std::vector<std::uint32_t> top(128);
    std::vector<std::uint32_t> cutTop(128);
    full.DecodedBitmap().ReadRowRGB32(0, top.data());
    decoded.ReadRowRGB32(0, cutTop.data());
    EXPECT_EQ(cutTop, top) << "the rows before the cut are the whole file's";

    // Cut before the frame header: libjpeg finds no image (51). Cut after the
    // frame header but before the first scan it names the missing scan (59).
    for (auto [marker, message] : {std::pair<std::uint8_t, const char*>{0xC0, "JPEG error #51"},
                                   std::pair<std::uint8_t, const char*>{0xDA, "JPEG error #59"}}) {
        std::size_t at = 2;
        while (at + 1 < whole.size() && !(whole[at] == 0xFF && whole[at + 1] == marker))
            ++at;
        TJPEGImage noImage;
        EXPECT_EQ(ErrorOf<EJPEG>([&] { noImage.LoadFromStream(std::span(whole).first(at)); }), message);
        EXPECT_TRUE(noImage.Empty());
    }
}

TEST(JpegImage, KeepsItsSizeAndBytesAndQuantisesOnEightBitDisplays)
{
    const std::vector<std::uint8_t> bytes = Hopper();
    TJPEGImage jpeg;
    jpeg.LoadFromStream(bytes);
    const std::string message = "Cannot change the size of a JPEG image";
    EXPECT_EQ(ErrorOf<EInvalidGraphicOperation>([&] { jpeg.SetWidth(5); }), message);
    EXPECT_EQ(ErrorOf<EInvalidGraphicOperation>([&] { jpeg.SetHeight(5); }), message);
    EXPECT_EQ(jpeg.Width(), 128);
    std::vector<std::uint8_t> saved;
    jpeg.SaveToStream(saved);
    EXPECT_TRUE(saved == bytes);

    DisplayDepthScope scope(8);
    const TBitmap& bitmap = jpeg.DecodedBitmap();
    EXPECT_EQ(bitmap.BitsPerPixel(), 8);
    EXPECT_LE(bitmap.ColorTable().size(), 236U);
    EXPECT_GT(bitmap.ColorTable().size(), 32U);
}

TEST(JpegImage, LoadingReadsOnlyTheHeaderAndEachSizeOfPictureIsDecodedOnce)
{
    TJPEGImage jpeg;
    jpeg.LoadFromStream(Hopper());
    EXPECT_EQ(jpeg.DecodeCount(), 0);
    // Small draws need only a sampled decoding, made once and not kept as the
    // whole picture.
    TBitmap surface;
    surface.SetSize(120, 180);
    for (int draw = 0; draw < 3; ++draw)
        surface.Canvas().StretchDraw(TRect{draw, draw, 60 + draw, 90 + draw}, &jpeg);
    EXPECT_EQ(jpeg.DecodeCount(), 1);
    EXPECT_FALSE(jpeg.Decoded());

    // Any other size needs the whole picture: one more decoding, then no more.
    for (const TRect& rect : {TRect{0, 0, 128, 128}, TRect{0, 0, 256, 256}, TRect{0, 0, 30, 30}, TRect{0, 0, 60, 90}})
        surface.Canvas().StretchDraw(rect, &jpeg);
    TBitmap first;
    first.Assign(&jpeg);
    TBitmap second;
    second.Assign(&jpeg);
    EXPECT_EQ(jpeg.DecodeCount(), 2);
    EXPECT_EQ(first.ScanLine(0), jpeg.DecodedBitmap().ScanLine(0)) << "assignment shares the decoded pixels";
    EXPECT_EQ(second.ScanLine(0), first.ScanLine(0));
    EXPECT_EQ(first.BitsPerPixel(), 24);
    first.Canvas().SetPixel(0, 0, clBlack);
    EXPECT_NE(jpeg.DecodedBitmap().ScanLine(0), first.ScanLine(0));
    EXPECT_NE(second.Canvas().GetPixel(0, 0), clBlack);
}

// Drawing an undecoded image small must give exactly what drawing the full
// decoding gives.
class SampledJpeg : public ::testing::TestWithParam<std::string> {};

TEST_P(SampledJpeg, DrawsTheSamePixelsAsTheFullDecoding)
{
    const std::vector<std::uint8_t> bytes = ReadBytes(TestData("jpeg/" + GetParam()));
    TJPEGImage full;
    full.LoadFromStream(bytes);
    full.DecodedBitmap();
    for (auto [width, height] : {std::pair{120, 180}, std::pair{37, 11}, std::pair{1, 1}}) {
        TJPEGImage sampled;
        sampled.LoadFromStream(bytes);
        if (width > full.Width() || height > full.Height())
            continue;
        TBitmap a;
        a.SetSize(width + 4, height + 4);
        a.Canvas().StretchDraw(TRect{2, 3, 2 + width, 3 + height}, &sampled);
        TBitmap b;
        b.SetSize(width + 4, height + 4);
        b.Canvas().StretchDraw(TRect{2, 3, 2 + width, 3 + height}, &full);
        EXPECT_FALSE(sampled.Decoded());
        EXPECT_TRUE(SamePixels(a, b)) << width << "x" << height;
    }
}

INSTANTIATE_TEST_SUITE_P(Jpeg, SampledJpeg, ::testing::Values(
    "photos/Portrait_1.jpg", "photos/obama_and_biden.jpg", "photos/concert.jpg", "special/pil_sample_cmyk.jpg",
    "photos/camera_nikon_d3100_DSC_0008_orient8.jpg", "libjpeg-turbo/testimgp.jpg", "corrupt/sharp-truncated.jpg",
    "special/grayscale_16x24_sampling2x2.jpg", "special/restarts.jpg"),
    [](const ::testing::TestParamInfo<std::string>& info) { return NameOf(info.param); });

} // namespace

// JPEG images: loading and decoding failures, decoding once, sampled drawing.
#include "PictureTestSupport.h"

#include <initializer_list>
#include <span>

namespace {

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
        EXPECT_EQ(ErrorOf<EJPEG>([&] { surface.Canvas().StretchDraw(TRect{0, 0, 10, 10}, &empty); }), "JPEG error #42");
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
    TJPEGImage jpeg(DisplayColorDepth(8));
    jpeg.LoadFromStream(bytes);
    const std::string message = "Cannot change the size of a JPEG image";
    EXPECT_EQ(ErrorOf<EInvalidGraphicOperation>([&] { jpeg.SetWidth(5); }), message);
    EXPECT_EQ(ErrorOf<EInvalidGraphicOperation>([&] { jpeg.SetHeight(5); }), message);
    EXPECT_EQ(jpeg.Width(), 128);
    std::vector<std::uint8_t> saved;
    jpeg.SaveToStream(saved);
    EXPECT_TRUE(saved == bytes);

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
class SampledJpeg : public ::testing::TestWithParam<std::string> { };

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

INSTANTIATE_TEST_SUITE_P(Jpeg, SampledJpeg,
                         ::testing::Values("photos/Portrait_1.jpg", "photos/obama_and_biden.jpg", "photos/concert.jpg",
                                           "special/pil_sample_cmyk.jpg",
                                           "photos/camera_nikon_d3100_DSC_0008_orient8.jpg",
                                           "libjpeg-turbo/testimgp.jpg", "corrupt/sharp-truncated.jpg",
                                           "special/grayscale_16x24_sampling2x2.jpg", "special/restarts.jpg"),
                         [](const ::testing::TestParamInfo<std::string>& info) { return NameOf(info.param); });

} // namespace

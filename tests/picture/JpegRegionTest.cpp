// Decoding part of a JPEG image: every region, at every scale, of files of
// every kind the decoder meets, holds exactly the pixels of the whole
// decoding there.
#include "PictureTestSupport.h"
#include "picture/detail/JpegDecoder.h"
#include "picture/detail/PixelGrid.h"

#include <cstring>

namespace {

// Whether `part` holds the pixels of `whole` at `region`, byte for byte.
::testing::AssertionResult IsRegionOf(const PixelGrid& part, const PixelGrid& whole, const TRect& region)
{
    if (part.Width() != region.Width() || part.Height() != region.Height())
        return ::testing::AssertionFailure() << "the part is " << part.Width() << " x " << part.Height();
    if (part.BitsPerPixel() != whole.BitsPerPixel() || part.ColorTable() != whole.ColorTable())
        return ::testing::AssertionFailure() << "the part's depth or colour table differs";
    const std::size_t pixelBytes = static_cast<std::size_t>(whole.BitsPerPixel() / 8);
    for (std::int32_t y = 0; y < part.Height(); ++y) {
        const std::uint8_t* want = whole.Row(region.Top + y) + static_cast<std::size_t>(region.Left) * pixelBytes;
        if (std::memcmp(part.Row(y), want, static_cast<std::size_t>(part.Width()) * pixelBytes) != 0)
            return ::testing::AssertionFailure() << "row " << y << " differs";
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(JpegRegion, EveryRegionHoldsTheWholeDecodingsPixels)
{
    // 2x2, 2x1 and 1x1 sampled colour, grey, CMYK (one plain, one
    // subsampled), progressive (three kinds), restart markers, arithmetic
    // coding, a size that is no multiple of a block.
    const char* files[] = {
        "jpeg/libjpeg-turbo/testorig.jpg",      "jpeg/special/mjpeg.jpg",
        "jpeg/photos/obama-240p.jpg",           "jpeg/libjpeg-turbo/testimggray.jpg",
        "jpeg/special/pil_sample_cmyk.jpg",     "jpeg/special/mozilla-jpg-cmyk-2.jpg",
        "jpeg/libjpeg-turbo/testimgp.jpg",      "jpeg/special/progressive3.jpg",
        "jpeg/special/non-interleaved-mcu.jpg", "jpeg/special/restarts.jpg",
        "jpeg/libjpeg-turbo/testimgari.jpg",    "jpeg/special/mozilla-jpg-size-33x33.jpg",
    };
    for (const char* file : files) {
        const std::vector<std::uint8_t> bytes = ReadBytes(TestData(file));
        for (const JpegColors colors : {JpegColors::Rgb, JpegColors::Full}) {
            for (const int eighths : {1, 2, 3, 5, 8}) {
                const std::shared_ptr<PixelGrid> whole = DecodeJpeg(bytes, colors, eighths);
                const std::int32_t w = whole->Width();
                const std::int32_t h = whole->Height();
                // A middle part at odd offsets, the left and right edges, a
                // corner pixel, a single row, the whole.
                const TRect regions[] = {
                    {w / 3, h / 4, 2 * w / 3 + 1, 3 * h / 4 + 1},
                    {0, 0, w / 2 + 1, h},
                    {w / 2, h / 3, w, h},
                    {w - 1, h - 1, w, h},
                    {0, h / 2, w, h / 2 + 1},
                    {0, 0, w, h},
                };
                for (const TRect& region : regions) {
                    SCOPED_TRACE(testing::Message()
                                 << file << ", colours " << static_cast<int>(colors) << ", " << eighths << "/8, region "
                                 << region.Left << "," << region.Top << " - " << region.Right << "," << region.Bottom);
                    EXPECT_TRUE(IsRegionOf(*DecodeJpegRegion(bytes, colors, eighths, region), *whole, region));
                }
            }
        }
    }
}

TEST(JpegRegion, ARegionOutsideTheDecodingIsRefusedAndOneReachingPastItIsClipped)
{
    const std::vector<std::uint8_t> bytes = ReadBytes(TestData("jpeg/libjpeg-turbo/testorig.jpg")); // 227 x 149
    EXPECT_THROW(DecodeJpegRegion(bytes, JpegColors::Rgb, 8, {227, 0, 300, 10}), std::invalid_argument);
    EXPECT_THROW(DecodeJpegRegion(bytes, JpegColors::Rgb, 8, {10, 10, 10, 20}), std::invalid_argument);
    const std::shared_ptr<PixelGrid> clipped = DecodeJpegRegion(bytes, JpegColors::Rgb, 8, {-5, 140, 100, 400});
    EXPECT_TRUE(IsRegionOf(*clipped, *DecodeJpeg(bytes, JpegColors::Rgb), {0, 140, 100, 149}));
}

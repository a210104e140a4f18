// Smooth sampling: shrink on load (libjpeg's DCT scaling) and area averaging,
// held against area averages computed independently (MadePictures.h) on
// pictures where nearest-neighbour sampling aliases.

#include "ExifPayload.h"
#include "MadePictures.h"
#include "PictureTestSupport.h"
#include "picture/ReducedPicture.h"
#include "picture/SmoothDraw.h"

#include <memory>

namespace {

std::unique_ptr<TBitmap> Surface(std::int32_t width, std::int32_t height)
{
    auto surface = std::make_unique<TBitmap>();
    surface->SetSize(width, height);
    return surface;
}

std::unique_ptr<TJPEGImage> JpegOf(const std::vector<std::uint8_t>& bytes)
{
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->LoadFromStream(bytes);
    return jpeg;
}

} // namespace

TEST(ReducedPicture, ChoosesTheSmallestScaleAtEdgeSizes)
{
    // libjpeg rounds a reduced side up: 3000 at 1/8 is 375, at 7/8 2625.
    EXPECT_EQ(EighthsToCover({3000, 4000}, {375, 500}), 1);
    EXPECT_EQ(EighthsToCover({3000, 4000}, {376, 500}), 2);
    EXPECT_EQ(EighthsToCover({3000, 4000}, {375, 501}), 2);
    EXPECT_EQ(EighthsToCover({3000, 4000}, {2625, 1}), 7);
    EXPECT_EQ(EighthsToCover({3000, 4000}, {2626, 1}), 8);
    EXPECT_EQ(EighthsToCover({3000, 4000}, {3001, 1}), 8);
    EXPECT_EQ(EighthsToCover({101, 61}, {13, 8}), 1); // 12.6 and 7.6 rounded up
    EXPECT_EQ(EighthsToCover({101, 61}, {14, 8}), 2);
    // Twice the output under the region: 960 x 1440 at 2/8 is 240 x 360.
    EXPECT_EQ(EighthsToSampleSmoothly({960, 1440}, {120, 180}), 2);
    EXPECT_EQ(EighthsToSampleSmoothly({959, 1440}, {120, 180}), 3);
    EXPECT_EQ(EighthsToSampleSmoothly({960, 1439}, {120, 180}), 3);
    EXPECT_EQ(EighthsToSampleSmoothly({1920, 2880}, {120, 180}), 1);
    EXPECT_EQ(EighthsToSampleSmoothly({479, 720}, {120, 180}), 5);
    EXPECT_EQ(EighthsToSampleSmoothly({275, 413}, {120, 180}), 7); // 240.6 x 361.4
    EXPECT_EQ(EighthsToSampleSmoothly({274, 413}, {120, 180}), 8); // 239.75 across at 7/8
    EXPECT_EQ(EighthsToSampleSmoothly({120, 180}, {120, 180}), 8);
}

TEST(ReducedPicture, DecodesAtTheChosenScale)
{
    const auto bytes = EncodeJpeg(Gradient(101, 61));
    struct Case {
        PictureSize atLeast;
        int eighths;
        PictureSize size;
    };
    for (const Case& c : {Case{{13, 8}, 1, {13, 8}}, Case{{14, 8}, 2, {26, 16}}, Case{{26, 17}, 3, {38, 23}},
                          Case{{89, 1}, 7, {89, 54}}, Case{{90, 1}, 8, {101, 61}}, Case{{102, 61}, 8, {101, 61}}}) {
        SCOPED_TRACE(testing::Message() << c.atLeast.Width << " x " << c.atLeast.Height);
        const auto jpeg = JpegOf(bytes);
        const ReducedPicture reduced = DecodeAtLeast(*jpeg, c.atLeast);
        ASSERT_TRUE(reduced.Pixels);
        EXPECT_EQ(reduced.Eighths, c.eighths);
        EXPECT_TRUE(SameSize(*reduced.Pixels, c.size.Width, c.size.Height));
        EXPECT_EQ(reduced.Full, (PictureSize{101, 61}));
        EXPECT_EQ(jpeg->DecodeCount(), 1);
        // Shrunk pictures are not kept: the image itself stays undecoded.
        EXPECT_EQ(jpeg->Decoded(), c.eighths == 8);
    }
}

TEST(SmoothDraw, AveragesEveryPixelUnderEachOutputPixel)
{
    struct Case {
        const char* name;
        TRect region;
        PictureSize output;
    };
    // Ratios that are no whole number, a region off the picture's corner, an
    // enlargement.
    const Case cases[] = {{"whole", {0, 0, 301, 451}, {120, 180}},
                          {"region", {17, 23, 17 + 250, 23 + 375}, {120, 180}},
                          {"odd ratio", {3, 5, 296, 440}, {37, 53}},
                          {"enlarged", {100, 100, 140, 160}, {120, 180}}};
    for (const MadePicture& picture : AliasingPatterns(301, 451)) {
        TBitmap bitmap;
        PaintInto(bitmap, picture);
        for (const Case& c : cases) {
            SCOPED_TRACE(picture.Name + ", " + c.name);
            const auto surface = Surface(c.output.Width, c.output.Height);
            SmoothDrawRegion(surface->Canvas(), {0, 0, c.output.Width, c.output.Height}, bitmap, c.region);
            const Distance distance = DistanceFromAreaAverage(*surface, picture, c.region);
            EXPECT_LE(distance.Largest, 1) << distance;
        }
    }
}

TEST(SmoothDraw, ShrunkJpegStaysCloseToTheAreaAverage)
{
    // A shrunk decoding has already averaged each block's pixels; where an
    // output pixel's footprint splits the pixels of a block, the two steps
    // together are not exactly one box over the full picture. So the fine
    // patterns are drawn at footprints that hold whole reduced pixels: 960 x
    // 1440 to 120 x 180 decodes at 2/8 (8 pixels a footprint, 2 reduced
    // ones), the region at 4/8 (4 pixels, 2 reduced ones). The gradient also
    // at ratios that are no whole number.
    struct Case {
        MadePicture picture;
        TRect region;
        bool grey = false;
    };
    const TRect whole{0, 0, 960, 1440};
    const TRect region{64, 96, 64 + 480, 96 + 720};
    std::vector<Case> cases;
    for (const MadePicture& picture : AliasingPatterns(960, 1440)) {
        cases.push_back({picture, whole});
        cases.push_back({picture, region});
    }
    const MadePicture stripes = Stripes(960, 1440);
    cases.push_back({stripes, whole, true});
    cases.push_back({stripes, region, true});
    const MadePicture gradient = Gradient(963, 1445);
    cases.push_back({gradient, {0, 0, 963, 1445}});
    cases.push_back({gradient, {200, 300, 200 + 600, 300 + 900}});
    const MadePicture greyGradient =
        MakePicture("grey gradient", 963, 1445,
                    [&gradient](std::int32_t x, std::int32_t y) { return Grey(gradient.At(x, y) & 0xFF); });
    cases.push_back({greyGradient, {0, 0, 963, 1445}, true});
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.picture.Name << (c.grey ? " grey" : "") << ", region " << c.region.Left
                                        << "," << c.region.Top << " " << c.region.Width() << " x "
                                        << c.region.Height());
        const auto jpeg = JpegOf(EncodeJpeg(c.picture, c.grey));
        const auto surface = Surface(120, 180);
        SmoothDrawRegion(surface->Canvas(), {0, 0, 120, 180}, *jpeg, c.region);
        EXPECT_FALSE(jpeg->Decoded()); // shrunk on load
        const Distance distance = DistanceFromAreaAverage(*surface, c.picture, c.region);
        EXPECT_LE(distance.Mean, 1.0) << distance;
        EXPECT_LE(distance.Largest, 3) << distance;
    }
}

TEST(SmoothDraw, TurnedPhotosLineUpWithTheirFullDecoding)
{
    // Sides that end inside an 8 by 8 block, so that the last reduced pixel
    // is partial (203 at 1/8 is 25.4 pixels, 141 17.6); turned or mirrored,
    // it comes to the left or the top, and the averages must start inside it.
    const MadePicture picture = Gradient(203, 141);
    const auto plain = EncodeJpeg(picture);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(testing::Message() << "orientation " << orientation);
        const auto bytes = WithApp1(plain, ExifPayload(orientation));
        const auto shrunk = JpegOf(bytes);
        const auto full = JpegOf(bytes);
        TBitmap upright;
        upright.Assign(full.get());
        const TRect region{0, 0, upright.Width(), upright.Height()};
        const PictureSize output{upright.Width() / 16, upright.Height() / 16}; // decoded at 1/8
        const auto fromShrunk = Surface(output.Width, output.Height);
        SmoothDrawRegion(fromShrunk->Canvas(), {0, 0, output.Width, output.Height}, *shrunk, region);
        EXPECT_EQ(shrunk->DecodeCount(), 1);
        EXPECT_FALSE(shrunk->Decoded());
        const auto fromFull = Surface(output.Width, output.Height);
        SmoothDrawRegion(fromFull->Canvas(), {0, 0, output.Width, output.Height}, upright, region);
        std::vector<std::uint32_t> row(static_cast<std::size_t>(output.Width));
        EXPECT_TRUE(ComparePixels(
            *fromShrunk,
            [&](std::int32_t x, std::int32_t y) {
                fromFull->ReadRowRGB32(y, row.data());
                return std::optional<std::uint32_t>(row[static_cast<std::size_t>(x)]);
            },
            3));
    }
}

TEST(SmoothDraw, DecodingOnlyTheRegionDrawsWhatTheWholeShrunkPictureDraws)
{
    // Sides that end inside a block, every orientation (turned pictures put
    // the partial reduced pixel at the left or top), regions at the edges and
    // inside, scales from 1/8 to 7/8.
    const MadePicture picture = Gradient(403, 287);
    const auto plain = EncodeJpeg(picture);
    const struct {
        TRect region;
        PictureSize output;
    } draws[] = {
        {{0, 0, 287, 403}, {30, 40}},     // everything, turned or not (clipped to the picture)
        {{50, 70, 200, 300}, {36, 54}},   // inside
        {{0, 100, 120, 280}, {30, 45}},   // the left edge
        {{150, 0, 287, 137}, {10, 10}},   // the top and right edges
        {{100, 200, 287, 403}, {40, 45}}, // the far corner
        {{11, 13, 31, 47}, {5, 8}},       // a small part, decoded nearly whole size
    };
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const auto bytes = WithApp1(plain, ExifPayload(orientation));
        for (const auto& draw : draws) {
            SCOPED_TRACE(testing::Message()
                         << "orientation " << orientation << ", region " << draw.region.Left << "," << draw.region.Top
                         << " - " << draw.region.Right << "," << draw.region.Bottom);
            const auto jpeg = JpegOf(bytes);
            const int eighths = EighthsToSampleSmoothly({draw.region.Width(), draw.region.Height()}, draw.output);
            ASSERT_LT(eighths, 8);
            const ReducedPicture part = ReducePictureForRegion(*jpeg, eighths, draw.region);
            const ReducedPicture whole = ReducePicture(*jpeg, eighths);
            ASSERT_TRUE(part.Pixels && whole.Pixels);
            // Fewer pixels decoded, unless the region covers the picture.
            const bool everything = draw.region.Left <= 0 && draw.region.Top <= 0 && draw.region.Right >= jpeg->Width()
                                    && draw.region.Bottom >= jpeg->Height();
            const std::int64_t decoded = std::int64_t{part.Pixels->Width()} * part.Pixels->Height();
            const std::int64_t all = std::int64_t{whole.Pixels->Width()} * whole.Pixels->Height();
            EXPECT_TRUE(everything ? decoded == all : decoded < all) << decoded << " of " << all;
            const TRect rect{0, 0, draw.output.Width, draw.output.Height};
            const auto fromPart = Surface(draw.output.Width, draw.output.Height);
            const auto fromWhole = Surface(draw.output.Width, draw.output.Height);
            SmoothDrawRegion(fromPart->Canvas(), rect, part, draw.region);
            SmoothDrawRegion(fromWhole->Canvas(), rect, whole, draw.region);
            EXPECT_TRUE(SamePixels(*fromPart, *fromWhole));
        }
    }
}

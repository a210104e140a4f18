#include "editing/PictureEditing.h"

#include "editing/LoadedPicture.h"
#include "faces/FaceDetector.h"
#include "picture/PictureTestSupport.h"
#include "picture/SmoothDraw.h"
#include "picture/TBitmap.h"
#include "picture/TCanvas.h"
#include "picture/TPicture.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A colour that names its pixel, for pictures up to 1000 pixels wide.
TColor Mark(std::int32_t x, std::int32_t y)
{
    return x + y * 1000 + 1;
}

// The mean difference of two pictures of one size, over their three channels.
double MeanDifference(const TBitmap& a, const TBitmap& b)
{
    std::vector<std::uint32_t> rowA(static_cast<std::size_t>(a.Width()));
    std::vector<std::uint32_t> rowB(rowA.size());
    double total = 0;
    for (std::int32_t y = 0; y < a.Height(); ++y) {
        a.ReadRowRGB32(y, rowA.data());
        b.ReadRowRGB32(y, rowB.data());
        for (std::size_t x = 0; x < rowA.size(); ++x)
            for (const int shift : {0, 8, 16})
                total +=
                    std::abs(static_cast<int>(rowA[x] >> shift & 0xFF) - static_cast<int>(rowB[x] >> shift & 0xFF));
    }
    return total / (3.0 * a.Width() * a.Height());
}

} // namespace

TEST(HalfSizeRedraw, KeepsEverySecondRowAndColumnAndDropsOddRemainders)
{
    const struct {
        std::int32_t width, height, halfWidth, halfHeight;
    } cases[] = {{640, 480, 320, 240}, {641, 481, 320, 240}, {3, 5, 1, 2}, {1, 1, 0, 0}};
    for (const auto& c : cases) {
        TPicture picture;
        Paint(picture.Bitmap(), c.width, c.height, Mark);
        PictureArea area{picture, 320, 290};
        HalfSizeRedraw(area);
        EXPECT_EQ(area.Width, c.halfWidth) << c.width;
        EXPECT_EQ(area.Height, c.halfHeight) << c.height;
        EXPECT_EQ(picture.Width(), c.halfWidth);
        EXPECT_EQ(picture.Height(), c.halfHeight);
        EXPECT_TRUE(PixelsAre(picture.Bitmap(), [](std::int32_t x, std::int32_t y) { return Mark(2 * x, 2 * y); }));
    }
}

TEST(Zoom, InMakesTwoByTwoBlocksAndOutRestoresThePicture)
{
    TPicture picture;
    Paint(picture.Bitmap(), 320, 240, Mark);
    PictureArea area{picture, 320, 240};

    ASSERT_TRUE(Zoom(area, ZoomDirection::In));
    EXPECT_EQ(area.Width, 640);
    EXPECT_EQ(area.Height, 480);
    ASSERT_EQ(picture.Width(), 640);
    EXPECT_TRUE(PixelsAre(picture.Bitmap(), [](std::int32_t x, std::int32_t y) { return Mark(x / 2, y / 2); }));

    ASSERT_TRUE(Zoom(area, ZoomDirection::Out));
    EXPECT_EQ(area.Width, 320);
    EXPECT_EQ(area.Height, 240);
    EXPECT_TRUE(PixelsAre(picture.Bitmap(), Mark));
}

TEST(Zoom, StepsPastTheLimitsAreRefusedAndKeepThePicture)
{
    const struct {
        const char* why;
        std::int32_t pictureWidth, pictureHeight, areaWidth, areaHeight;
        ZoomDirection direction;
    } cases[] = {
        {"grid past the component's limit (k = 101)", 1000, 1000, 10, 10, ZoomDirection::In},
        {"side past the largest control", 20000, 1, 1, 1, ZoomDirection::In},
        {"control without width", 40, 30, 0, 30, ZoomDirection::In},
        {"zero height out", 40, 1, 40, 1, ZoomDirection::Out},
    };
    for (const auto& c : cases) {
        TPicture picture;
        Paint(picture.Bitmap(), c.pictureWidth, c.pictureHeight, Mark);
        PictureArea area{picture, c.areaWidth, c.areaHeight};
        EXPECT_FALSE(Zoom(area, c.direction)) << c.why;
        EXPECT_EQ(area.Width, c.areaWidth) << c.why;
        EXPECT_EQ(area.Height, c.areaHeight) << c.why;
        EXPECT_TRUE(SameSize(picture.Bitmap(), c.pictureWidth, c.pictureHeight)) << c.why;
        EXPECT_TRUE(PixelsAre(picture.Bitmap(), Mark)) << c.why;
    }
}

TEST(QuarterTurn, TurnsAThreeByTwoPictureEitherWay)
{
    const TColor a = 0x0000A0, b = 0x0000B0, c = 0x0000C0, d = 0x00D000, e = 0x00E000, f = 0xF00000;
    const struct {
        TurnDirection direction;
        std::vector<TColor> rows; // two pixels a row
    } cases[] = {
        {TurnDirection::Left, {c, f, b, e, a, d}},
        {TurnDirection::Right, {d, a, e, b, f, c}},
    };
    for (const auto& turn : cases) {
        TPicture picture;
        const TColor start[2][3] = {{a, b, c}, {d, e, f}};
        Paint(picture.Bitmap(), 3, 2, [&](std::int32_t x, std::int32_t y) { return start[y][x]; });
        PictureArea area{picture, 3, 2};
        QuarterTurn(area, turn.direction);
        EXPECT_EQ(area.Width, 2);
        EXPECT_EQ(area.Height, 3);
        EXPECT_TRUE(PixelsAre(picture.Bitmap(), [&](std::int32_t x, std::int32_t y) { return turn.rows[y * 2 + x]; }));
    }
}

namespace {

// The turn as the window first made it, kept as the reference: the height
// resized first, then every pixel read and written singly through the Canvas.
void PixelByPixelTurn(TPicture& picture, TurnDirection direction)
{
    TBitmap copy;
    copy.Assign(picture.Graphic());
    const std::int32_t w = copy.Width(), h = copy.Height();
    picture.Bitmap().SetHeight(w);
    picture.Bitmap().SetWidth(h);
    const bool left = direction == TurnDirection::Left;
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x)
            picture.Bitmap().Canvas().SetPixel(left ? y : h - 1 - y, left ? w - 1 - x : x,
                                               copy.Canvas().GetPixel(x, y));
}

} // namespace

TEST(QuarterTurn, GivesExactlyThePixelsOfThePixelByPixelTurn)
{
    // Filled pictures of the display's depth, files of every depth, JPEGs held.
    const struct {
        int displayDepth;
        std::string file;
        std::int32_t width = 0, height = 0;
    } cases[] = {{32, "", 130, 67},
                 {32, "", 64, 64},
                 {32, "", 1, 1},
                 {8, "", 37, 20},
                 {32, "bmpsuite/g/pal1.bmp"},
                 {32, "bmpsuite/g/pal4.bmp"},
                 {32, "bmpsuite/g/pal8.bmp"},
                 {32, "bmpsuite/g/rgb16-565.bmp"},
                 {32, "bmpsuite/g/rgb24.bmp"},
                 {32, "bmpsuite/g/rgb32bf.bmp"},
                 {32, "jpeg/photos/hopper.jpg"},
                 {8, "jpeg/photos/hopper_gray.jpg"}};
    for (const auto& c : cases)
        for (const TurnDirection direction : {TurnDirection::Left, TurnDirection::Right}) {
            const DisplayColorDepth depth(c.displayDepth);
            TPicture expected(depth), actual(depth);
            for (TPicture* picture : {&expected, &actual})
                c.file.empty() ? Paint(picture->Bitmap(), c.width, c.height, Mark)
                               : picture->LoadFromFile(TestData(c.file));
            PixelByPixelTurn(expected, direction);
            PictureArea area{actual, actual.Width(), actual.Height()};
            QuarterTurn(area, direction);
            // A written file holds the depth, the colour table and every pixel.
            std::vector<std::uint8_t> expectedBmp, actualBmp;
            expected.Bitmap().SaveToStream(expectedBmp);
            actual.Bitmap().SaveToStream(actualBmp);
            EXPECT_EQ(actualBmp, expectedBmp)
                << c.file << c.width << (direction == TurnDirection::Left ? " left" : " right");
            EXPECT_EQ(std::pair(area.Width, area.Height), std::pair(expected.Width(), expected.Height()))
                << c.file << c.width;
        }
}

TEST(FrameFace, ZoomsAndPlacesThePictureSoThatTheFrameHoldsTheFace)
{
    FaceDetector faces;
    // As a click on a listed photo shows it: at half size.
    TPicture picture;
    picture.LoadFromFile(TestData("jpeg/photos/obama.jpg"));
    PictureArea area{picture, 320, 290};
    HalfSizeRedraw(area);
    const FaceFraming framing = FrameFace(area, faces, 112, 64);
    ASSERT_EQ(framing.Outcome, FaceFramingOutcome::Framed);
    EXPECT_EQ(area.Width, picture.Width());
    EXPECT_EQ(area.Height, picture.Height());
    // The crop rectangle is exactly what lies under the frame ...
    const TRect& crop = framing.Placement.CropRect;
    EXPECT_EQ(framing.Placement.Left + crop.Left, 112);
    EXPECT_EQ(framing.Placement.Top + crop.Top, 64);
    // ... and holds the face centred across, about half its height.
    TBitmap framed;
    framed.SetSize(kCropWidth, kCropHeight);
    framed.Canvas().CopyRect({0, 0, kCropWidth, kCropHeight}, picture.Bitmap().Canvas(), crop);
    const std::optional<TRect> face = faces.LargestFace(framed);
    ASSERT_TRUE(face.has_value());
    EXPECT_NEAR((face->Left + face->Right) / 2.0, 60, 12);
    EXPECT_NEAR(face->Height(), 90, 25);

    // A picture without a face stays exactly as it was.
    TPicture plain;
    Paint(plain.Bitmap(), 64, 48, Mark);
    PictureArea plainArea{plain, 64, 48};
    EXPECT_EQ(FrameFace(plainArea, faces, 112, 64).Outcome, FaceFramingOutcome::NoFace);
    EXPECT_TRUE(PixelsAre(plain.Bitmap(), Mark));
    EXPECT_EQ(plainArea.Width, 64);
}

TEST(FrameFace, WithTheLoadedPictureRedrawsByAveragingItsPixels)
{
    FaceDetector faces;
    TPicture picture;
    picture.LoadFromFile(TestData("jpeg/photos/obama.jpg"));
    LoadedPicture loaded;
    loaded.Keep(picture.Graphic());
    TBitmap full;
    full.Assign(picture.Graphic());
    PictureArea area{picture, 320, 290};
    HalfSizeRedraw(area);
    EXPECT_TRUE(loaded.ShownReduced(area.Width, area.Height));
    const FaceFraming framing = FrameFace(area, faces, 112, 64, &loaded);
    ASSERT_EQ(framing.Outcome, FaceFramingOutcome::Framed);
    ASSERT_LT(area.Width, full.Width()); // still a reduction of the loaded photo

    // Each pixel is the mean of the photo's pixels under it: what averaging
    // the whole decoded photo down to the area's size gives, within the
    // rounding of the reduced decoding it was made from.
    TBitmap averaged;
    averaged.SetSize(area.Width, area.Height);
    SmoothDrawRegion(averaged.Canvas(), {0, 0, area.Width, area.Height}, full, {0, 0, full.Width(), full.Height()});
    EXPECT_LE(MeanDifference(picture.Bitmap(), averaged), 1.0);
    // Nearest-neighbour sampling of the photo differs by far more in its
    // detail: the redrawing is not that.
    TBitmap sampled;
    sampled.SetSize(area.Width, area.Height);
    sampled.Canvas().StretchDraw({0, 0, area.Width, area.Height}, &full);
    EXPECT_GE(MeanDifference(picture.Bitmap(), sampled), 3.0);
}

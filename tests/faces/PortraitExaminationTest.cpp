// What the face checks see in a portrait: made defects beside the untouched
// portraits they come from, on the reduced reading the checks use.
#include "faces/PortraitExamination.h"

#include "faces/FaceDetector.h"
#include "faces/ReducedPhoto.h"
#include "picture/ExifCaptureTime.h"
#include "picture/FileBytes.h"
#include "picture/PictureTestSupport.h"
#include "picture/QuarterTurns.h"

#include <algorithm>
#include <functional>

namespace {

constexpr std::int32_t kShortSide = 480;

ReducedPhoto Read(const std::string& name)
{
    return ReadReducedPhoto(TestData("jpeg/photos/" + name), kShortSide);
}

// Every colour channel of every pixel through `change` (the reduced copies
// are 32 bits per pixel).
void MapChannels(TBitmap& picture, const std::function<int(int)>& change)
{
    ASSERT_EQ(picture.BitsPerPixel(), 32);
    for (std::int32_t y = 0; y < picture.Height(); ++y) {
        std::uint8_t* row = picture.MutableScanLine(y);
        for (std::int32_t x = 0; x < picture.Width(); ++x) {
            for (int c = 0; c < 3; ++c)
                row[4 * x + c] = static_cast<std::uint8_t>(std::clamp(change(row[4 * x + c]), 0, 255));
        }
    }
    picture.Modified();
}

// A box blur `radius` pixels either way, done twice (close to a Gaussian).
void Blur(TBitmap& picture, int radius)
{
    for (int pass = 0; pass < 2; ++pass) {
        TBitmap source;
        source.Assign(&picture);
        for (std::int32_t y = 0; y < picture.Height(); ++y) {
            std::uint8_t* row = picture.MutableScanLine(y);
            for (std::int32_t x = 0; x < picture.Width(); ++x) {
                for (int c = 0; c < 3; ++c) {
                    int sum = 0;
                    int count = 0;
                    for (int dy = -radius; dy <= radius; ++dy) {
                        const std::int32_t yy = std::clamp(y + dy, 0, picture.Height() - 1);
                        const std::uint8_t* other = source.ScanLine(yy);
                        for (int dx = -radius; dx <= radius; dx += radius) { // sparse across: quick
                            const std::int32_t xx = std::clamp(x + dx, 0, picture.Width() - 1);
                            sum += other[4 * xx + c];
                            ++count;
                        }
                    }
                    row[4 * x + c] = static_cast<std::uint8_t>(sum / count);
                }
            }
        }
        picture.Modified();
    }
}

class PortraitExaminationTest : public ::testing::Test {
protected:
    FaceDetector detector;

    PortraitExamination Examine(const ReducedPhoto& photo)
    {
        return ExaminePortrait(detector, *photo.pixels, photo.upright);
    }
};

TEST_F(PortraitExaminationTest, UntouchedPortraitsShowOneUprightClearFace)
{
    for (const char* name :
         {"obama.jpg", "obama2.jpg", "biden.jpg", "obama_backstage_the_white_house.jpg", "hopper.jpg"}) {
        SCOPED_TRACE(name);
        const PortraitExamination look = Examine(Read(name));
        EXPECT_EQ(look.faces, 1);
        EXPECT_EQ(look.turn, FaceTurn::None);
        EXPECT_GT(look.faceHeight, 40);
        EXPECT_LT(look.darkShare, 0.3);
        EXPECT_LT(look.brightShare, 0.3);
        EXPECT_GT(look.sharpness, 0);
        EXPECT_FALSE(look.descriptor); // no describer given
    }
}

TEST_F(PortraitExaminationTest, ABlankPictureHasNoFace)
{
    ReducedPhoto blank;
    blank.upright = {120, 180};
    blank.pixels = std::make_unique<TBitmap>();
    blank.pixels->SetSize(120, 180);
    MapChannels(*blank.pixels, [](int) { return 128; });
    const PortraitExamination look = Examine(blank);
    EXPECT_EQ(look.faces, 0);
    // Nor has a child seen from behind, whichever way the photo is turned.
    EXPECT_EQ(Examine(Read("Portrait_6.jpg")).faces, 0);
}

TEST_F(PortraitExaminationTest, ATurnedPortraitNamesTheTurnThatBringsItUpright)
{
    const ReducedPhoto upright = Read("obama.jpg");
    const struct {
        const char* what;
        std::vector<TurnDirection> stored; // how the photo was turned from upright
        FaceTurn expected;
    } rows[] = {
        {"stored turned left", {TurnDirection::Left}, FaceTurn::Right},
        {"stored turned right", {TurnDirection::Right}, FaceTurn::Left},
        {"stored upside down", {TurnDirection::Right, TurnDirection::Right}, FaceTurn::Half},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ReducedPhoto turned;
        turned.pixels = std::make_unique<TBitmap>();
        turned.pixels->Assign(upright.pixels.get());
        for (const TurnDirection direction : row.stored) {
            auto next = std::make_unique<TBitmap>();
            next->SetSize(turned.pixels->Height(), turned.pixels->Width());
            DrawQuarterTurned(*next, *turned.pixels, direction);
            turned.pixels = std::move(next);
        }
        turned.upright = {turned.pixels->Width() * upright.upright.Width / upright.pixels->Width(),
                          turned.pixels->Height() * upright.upright.Width / upright.pixels->Width()};
        const PortraitExamination look = Examine(turned);
        EXPECT_EQ(look.faces, 1);
        EXPECT_EQ(look.turn, row.expected);
    }
}

TEST_F(PortraitExaminationTest, TwoPortraitsSideBySideAreTwoFaces)
{
    const ReducedPhoto portrait = Read("obama.jpg");
    ReducedPhoto both;
    both.pixels = std::make_unique<TBitmap>();
    both.pixels->SetSize(800, 500);
    both.pixels->Canvas().StretchDraw({0, 0, 400, 500}, portrait.pixels.get());
    both.pixels->Canvas().StretchDraw({400, 0, 800, 500}, portrait.pixels.get());
    both.upright = {800, 500};
    EXPECT_EQ(Examine(both).faces, 2);
    // A face half the size beside it is someone in the background.
    both.pixels->SetSize(600, 500);
    both.pixels->Canvas().StretchDraw({0, 0, 400, 500}, portrait.pixels.get());
    both.pixels->Canvas().StretchDraw({400, 250, 600, 500}, portrait.pixels.get());
    both.upright = {600, 500};
    EXPECT_EQ(Examine(both).faces, 1);
}

TEST_F(PortraitExaminationTest, DarkAndBlownOutFacesAreMostlyNearBlackOrWhite)
{
    const PortraitExamination normal = Examine(Read("obama.jpg"));
    ReducedPhoto dark = Read("obama.jpg");
    MapChannels(*dark.pixels, [](int v) { return v / 5; });
    const PortraitExamination darkLook = Examine(dark);
    ASSERT_EQ(darkLook.faces, 1);
    EXPECT_GT(darkLook.darkShare, 0.6);
    EXPECT_LT(normal.darkShare, 0.2);

    ReducedPhoto bright = Read("obama.jpg");
    MapChannels(*bright.pixels, [](int v) { return v * 3; });
    const PortraitExamination brightLook = Examine(bright);
    // A face blown out enough is no longer found at all.
    if (brightLook.faces > 0) {
        EXPECT_GT(brightLook.brightShare, 0.6);
    }
    EXPECT_LT(normal.brightShare, 0.2);
}

TEST_F(PortraitExaminationTest, ABlurredPortraitIsFarLessSharpThanItself)
{
    const PortraitExamination sharp = Examine(Read("obama.jpg"));
    ReducedPhoto blurred = Read("obama.jpg");
    Blur(*blurred.pixels, 6);
    const PortraitExamination soft = Examine(blurred);
    ASSERT_EQ(soft.faces, 1);
    EXPECT_LT(soft.sharpness, 0.3 * sharp.sharpness);
}

TEST_F(PortraitExaminationTest, AFaceIsMeasuredInThePhotosOwnPixels)
{
    // The same reduced pixels said to come from a photo ten times smaller.
    ReducedPhoto photo = Read("obama.jpg");
    const double full = Examine(photo).faceHeight;
    photo.upright = {photo.upright.Width / 10, photo.upright.Height / 10};
    EXPECT_NEAR(Examine(photo).faceHeight, full / 10, full / 100);
}

TEST(ExifCaptureTime, IsTheOriginalTimeOfACameraPhotoAndNothingWithoutEXIF)
{
    std::vector<std::uint8_t> bytes;
    ReadFileBytes(TestData("jpeg/photos/camera_nikon_d3100_DSC_0008_orient8.jpg"), bytes);
    EXPECT_EQ(ExifCaptureTime(bytes), "2020:07:15 08:36:27");
    ReadFileBytes(TestData("jpeg/photos/hopper.jpg"), bytes);
    EXPECT_EQ(ExifCaptureTime(bytes), std::nullopt);
    bytes = {0xFF, 0xD8, 0xFF, 0xE1, 0x00};
    EXPECT_EQ(ExifCaptureTime(bytes), std::nullopt);
    EXPECT_EQ(ExifCaptureTime({}), std::nullopt);
}

} // namespace

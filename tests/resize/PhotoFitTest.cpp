// Face mode on real photos: how often a photo is decoded, and what a photo
// without a face comes out as.
#include "resize/PhotoFit.h"

#include "faces/FaceDetector.h"
#include "picture/CentredCrop.h"
#include "picture/TBitmap.h"
#include "picture/TCanvas.h"
#include "picture/TJPEGImage.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

std::unique_ptr<TJPEGImage> Photo(const char* name)
{
    auto photo = std::make_unique<TJPEGImage>();
    const QByteArray bytes = ReadFile(TestDataPath(QStringLiteral("jpeg/photos/") + name));
    photo->LoadFromStream(
        {reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<std::size_t>(bytes.size())});
    return photo;
}

std::unique_ptr<TBitmap> Surface()
{
    auto surface = std::make_unique<TBitmap>();
    surface->SetSize(120, 180);
    return surface;
}

// The mean difference of two surfaces' channels, in levels.
double MeanDifference(const TBitmap& a, const TBitmap& b)
{
    std::vector<std::uint32_t> rowA(static_cast<std::size_t>(a.Width()));
    std::vector<std::uint32_t> rowB(static_cast<std::size_t>(b.Width()));
    double sum = 0;
    for (std::int32_t y = 0; y < a.Height(); ++y) {
        a.ReadRowRGB32(y, rowA.data());
        b.ReadRowRGB32(y, rowB.data());
        for (std::size_t x = 0; x < rowA.size(); ++x)
            for (int shift = 0; shift < 24; shift += 8)
                sum += std::abs(int(rowA[x] >> shift & 0xFF) - int(rowB[x] >> shift & 0xFF));
    }
    return sum / (3.0 * a.Width() * a.Height());
}

} // namespace

TEST(SmoothFaceMode, DecodesAPortraitOrAPhotoWithoutAFaceOnce)
{
    FaceDetector faces;
    // Rows: photo, whether it shows a face.
    const std::pair<const char*, FaceOutcome> rows[] = {
        {"biden.jpg", FaceOutcome::Found}, // 970 x 2204
        {"obama.jpg", FaceOutcome::Found}, // 910 x 1137
        {"hopper_orientation_6.jpg", FaceOutcome::Found},
        {"camera_sony_a6400_DSC00007.jpg", FaceOutcome::NotFound}, // 6000 x 4000
        {"concert.jpg", FaceOutcome::NotFound},
    };
    for (const auto& [name, outcome] : rows) {
        SCOPED_TRACE(name);
        const std::unique_ptr<TJPEGImage> photo = Photo(name);
        const std::unique_ptr<TBitmap> surface = Surface();
        EXPECT_EQ(DrawFitted(surface->Canvas(), {0, 0, 120, 180}, *photo, FitMode::Face, &faces, Sampling::Smooth),
                  outcome);
        EXPECT_EQ(photo->DecodeCount(), 1);
    }
}

TEST(SmoothFaceMode, APhotoWithoutAFaceIsCropModesRegionFromTheOneDecoding)
{
    // 6000 x 4000 without a face: face mode decodes it at 2/8 for the detector
    // (a face region half its height keeps twice the output's size there),
    // crop mode at 1/8 for its larger region; the same region averaged from
    // either differs only by the rounding of the two reductions.
    FaceDetector faces;
    const std::unique_ptr<TJPEGImage> photo = Photo("camera_sony_a6400_DSC00007.jpg");
    const std::unique_ptr<TBitmap> face = Surface();
    ASSERT_EQ(DrawFitted(face->Canvas(), {0, 0, 120, 180}, *photo, FitMode::Face, &faces, Sampling::Smooth),
              FaceOutcome::NotFound);
    const std::unique_ptr<TJPEGImage> again = Photo("camera_sony_a6400_DSC00007.jpg");
    const std::unique_ptr<TBitmap> crop = Surface();
    DrawFitted(crop->Canvas(), {0, 0, 120, 180}, *again, FitMode::Crop, nullptr, Sampling::Smooth);
    // Measured 0.34 levels; another region (the whole photo) differs by 44.
    EXPECT_LT(MeanDifference(*face, *crop), 1.0);
    const std::unique_ptr<TJPEGImage> third = Photo("camera_sony_a6400_DSC00007.jpg");
    const std::unique_ptr<TBitmap> stretch = Surface();
    DrawFitted(stretch->Canvas(), {0, 0, 120, 180}, *third, FitMode::Stretch, nullptr, Sampling::Smooth);
    EXPECT_GT(MeanDifference(*face, *stretch), 10);
}

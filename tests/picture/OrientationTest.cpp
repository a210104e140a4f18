// Photos stored turned or mirrored, with an EXIF orientation: every
// orientation shown upright, pixel for pixel, also when drawn small.
#include "ExifPayload.h"
#include "ReferenceImages.h"
#include "picture/ExifOrientation.h"

#include <span>

namespace {

struct Tagged {
    std::string file; // an untagged, non-square picture under jpeg/
    int orientation;
};

void PrintTo(const Tagged& row, std::ostream* out)
{
    *out << row.file << " orientation " << row.orientation;
}

class EveryOrientation : public ::testing::TestWithParam<Tagged> { };

TEST_P(EveryOrientation, IsShownUprightAndSampledFromTheStoredPixelsAlike)
{
    const auto [file, orientation] = GetParam();
    const bool grey = file.find("concert") != std::string::npos;
    const QImage upright = UprightReference(DecodeWithDjpeg(QString::fromStdString(TestData("jpeg/" + file).string()),
                                                            grey ? QStringList{"-colors", "236"} : QStringList{}),
                                            orientation);
    ASSERT_FALSE(upright.isNull());
    const std::vector<std::uint8_t> bytes =
        WithApp1(ReadBytes(TestData("jpeg/" + file)), ExifPayload(orientation, 0, orientation % 2 == 1));

    TJPEGImage full;
    full.LoadFromStream(bytes);
    EXPECT_EQ(static_cast<int>(full.Orientation()), orientation);
    EXPECT_EQ(QSize(full.Width(), full.Height()), upright.size());
    EXPECT_TRUE(SamePixels(full.DecodedBitmap(), upright));

    // A small draw of the whole picture or of a region decodes only sampled
    // stored pixels, and must give what decoding, turning and then sampling gives.
    const TRect corner{full.Width() / 5, full.Height() / 7, full.Width() - 3, full.Height() - 11};
    for (const auto& [width, height, region] :
         {std::tuple{120, 180, TRect{0, 0, full.Width(), full.Height()}},
          std::tuple{37, 11, TRect{0, 0, full.Width(), full.Height()}}, std::tuple{60, 90, corner}}) {
        TJPEGImage sampled;
        sampled.LoadFromStream(bytes);
        TBitmap drawn;
        drawn.SetSize(width + 2, height + 2);
        sampled.DrawRegion(drawn.Canvas(), TRect{1, 1, 1 + width, 1 + height}, region);
        EXPECT_FALSE(sampled.Decoded());
        TBitmap expected;
        expected.SetSize(width + 2, height + 2);
        full.DrawRegion(expected.Canvas(), TRect{1, 1, 1 + width, 1 + height}, region);
        EXPECT_TRUE(SamePixels(drawn, expected)) << width << "x" << height;
    }

    // A draw with an overview of the whole picture: both from one sampled pass.
    TJPEGImage once;
    once.LoadFromStream(bytes);
    TBitmap drawn;
    drawn.SetSize(60, 90);
    const std::unique_ptr<TBitmap> overview =
        once.DrawRegionWithOverview(drawn.Canvas(), TRect{0, 0, 60, 90}, corner, {full.Width() / 3, full.Height() / 3});
    EXPECT_EQ(once.DecodeCount(), 1);
    TBitmap expected;
    expected.SetSize(full.Width() / 3, full.Height() / 3);
    expected.Canvas().StretchDraw(TRect{0, 0, expected.Width(), expected.Height()}, &full);
    EXPECT_TRUE(SamePixels(*overview, expected));
    TBitmap expectedDrawn;
    expectedDrawn.SetSize(60, 90);
    full.DrawRegion(expectedDrawn.Canvas(), TRect{0, 0, 60, 90}, corner);
    EXPECT_TRUE(SamePixels(drawn, expectedDrawn));
}

std::vector<Tagged> AllOrientations()
{
    std::vector<Tagged> rows;
    for (const char* file : {"photos/obama-240p.jpg", "photos/concert.jpg"})
        for (int orientation = 1; orientation <= 8; ++orientation)
            rows.push_back({file, orientation});
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Jpeg, EveryOrientation, ::testing::ValuesIn(AllOrientations()),
                         [](const ::testing::TestParamInfo<Tagged>& info) {
                             return NameOf(info.param.file) + "_" + std::to_string(info.param.orientation);
                         });

} // namespace

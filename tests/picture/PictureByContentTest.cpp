// Photos loaded by what their bytes hold, whatever their names say.
#include "picture/PictureByContent.h"

#include "PictureTestSupport.h"

namespace {

TEST(PictureByContent, TheFirstTwoBytesTellTheKind)
{
    const struct {
        std::vector<std::uint8_t> bytes;
        std::optional<PictureKind> kind;
    } cases[] = {
        {{0xFF, 0xD8, 0xFF, 0xE0}, PictureKind::Jpeg},
        {{0xFF, 0xD8}, PictureKind::Jpeg},
        {{'B', 'M', 0, 0}, PictureKind::Bmp},
        {{'B', 'M'}, PictureKind::Bmp},
        {{'B'}, std::nullopt},
        {{0xFF}, std::nullopt},
        {{}, std::nullopt},
        {{'M', 'B'}, std::nullopt},
        {{0xD8, 0xFF}, std::nullopt},
        {{0x89, 'P', 'N', 'G'}, std::nullopt},
        {{'b', 'm'}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        EXPECT_EQ(SniffPictureKind(c.bytes), c.kind);
    }
}

TEST(PictureByContent, LoadsTheKindTheBytesHoldAndRefusesOthers)
{
    // A bitmap under a .jpg name, as the capture window saves photos, is a bitmap.
    auto bitmapBytes = std::make_shared<std::vector<std::uint8_t>>(ReadBytes(TestData("bmpsuite/g/rgb24.bmp")));
    const std::unique_ptr<TGraphic> bitmap = LoadPictureByContent(bitmapBytes);
    ASSERT_NE(dynamic_cast<TBitmap*>(bitmap.get()), nullptr);
    EXPECT_EQ(bitmap->Width(), 127);
    EXPECT_EQ(bitmap->Height(), 64);

    auto jpegBytes = std::make_shared<std::vector<std::uint8_t>>(ReadBytes(TestData("jpeg/photos/hopper.jpg")));
    const std::unique_ptr<TGraphic> jpeg = LoadPictureByContent(jpegBytes);
    ASSERT_NE(dynamic_cast<TJPEGImage*>(jpeg.get()), nullptr);
    EXPECT_GT(jpeg->Width(), 0);

    const auto text = std::make_shared<std::vector<std::uint8_t>>(std::vector<std::uint8_t>{'G', 'I', 'F', '8'});
    EXPECT_EQ(ErrorOf<ENotAPicture>([&] { LoadPictureByContent(text); }), "Not a JPEG or BMP picture");
    // A bitmap's signature before bytes of no bitmap: the bitmap's own refusal.
    const auto broken = std::make_shared<std::vector<std::uint8_t>>(std::vector<std::uint8_t>{'B', 'M', 1, 2, 3});
    EXPECT_NE(ErrorOf<EPictureError>([&] { LoadPictureByContent(broken); }), "no error");
}

} // namespace

// The BMP writer's bytes, and round trips through the reader.
#include "PictureTestSupport.h"

namespace {

std::uint32_t U32(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    return bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16)
           | (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

// The bytes a BMP file of `bitmap` must have, built field by field from the
// pixels read back through the Canvas.
std::vector<std::uint8_t> ExpectedFile(TBitmap& bitmap, int bits)
{
    const auto width = static_cast<std::uint32_t>(bitmap.Width());
    const auto height = static_cast<std::uint32_t>(bitmap.Height());
    const std::uint32_t rowBytes = (width * static_cast<std::uint32_t>(bits) + 31) / 32 * 4;
    std::vector<std::uint8_t> out{'B', 'M'};
    auto put = [&](std::uint64_t value, int size) {
        for (int i = 0; i < size; ++i)
            out.push_back(i < 8 ? static_cast<std::uint8_t>(value >> (8 * i)) : 0);
    };
    put(54 + rowBytes * height, 4);
    put(0, 4);
    put(54, 4); // file header
    put(40, 4);
    put(width, 4);
    put(height, 4);
    put(1, 2);
    put(bits, 2); // info header
    put(0, 4);
    put(rowBytes * height, 4);
    put(0, 16);
    for (std::int32_t y = bitmap.Height() - 1; y >= 0; --y) {
        const std::size_t start = out.size();
        for (std::int32_t x = 0; x < bitmap.Width(); ++x) {
            const TColor c = bitmap.Canvas().GetPixel(x, y);
            if (bits == 16)
                put(((GetRValue(c) >> 3) << 10) | ((GetGValue(c) >> 3) << 5) | (GetBValue(c) >> 3), 2);
            else
                put(GetBValue(c) | (GetGValue(c) << 8) | (GetRValue(c) << 16), bits / 8);
        }
        out.resize(start + rowBytes, 0);
    }
    return out;
}

TEST(BmpWriter, LaysOutEveryByteAt16And24And32BitsAndReadsBackTheSame)
{
    // 47 x 33: an odd width, so 16- and 24-bit rows need padding.
    for (int bits : {16, 24, 32}) {
        TBitmap bitmap{DisplayColorDepth(bits)};
        Paint(bitmap, 47, 33, Distinct);
        std::vector<std::uint8_t> bytes;
        bitmap.SaveToStream(bytes);
        const std::vector<std::uint8_t> expected = ExpectedFile(bitmap, bits);
        ASSERT_EQ(bytes.size(), expected.size()) << bits;
        EXPECT_TRUE(bytes == expected) << bits << " bits: first difference at byte "
                                       << (std::mismatch(bytes.begin(), bytes.end(), expected.begin()).first
                                           - bytes.begin());
        TBitmap read;
        read.LoadFromStream(bytes);
        EXPECT_EQ(read.BitsPerPixel(), bits);
        EXPECT_FALSE(read.IsDisplayForm());
        EXPECT_TRUE(SamePixels(read, bitmap)) << bits;
        std::vector<std::uint8_t> again;
        read.SaveToStream(again);
        EXPECT_TRUE(again == bytes) << bits << ": its own form writes back the same file";
    }
}

TEST(BmpWriter, IndexedAndBitFieldGridsKeepTheirTableAndMasks)
{
    TBitmap indexed;
    indexed.LoadFromFile(TestData("bmpsuite/g/pal4.bmp"));
    std::vector<std::uint8_t> bytes;
    indexed.SaveToStream(bytes);
    EXPECT_EQ(U32(bytes, 28) & 0xFFFF, 4U);
    EXPECT_EQ(U32(bytes, 46), 12U) << "colours used: the file's 12 table entries";
    EXPECT_EQ(U32(bytes, 10), 54U + 12 * 4);
    TBitmap reread;
    reread.LoadFromStream(bytes);
    EXPECT_TRUE(SamePixels(reread, indexed));

    TBitmap masked;
    masked.LoadFromFile(TestData("bmpsuite/g/rgb16-565.bmp"));
    bytes.clear();
    masked.SaveToStream(bytes);
    EXPECT_EQ(U32(bytes, 30), 3U) << "bit fields";
    EXPECT_EQ(U32(bytes, 10), 66U);
    EXPECT_EQ(U32(bytes, 54), 0xF800U);
    EXPECT_EQ(U32(bytes, 58), 0x07E0U);
    EXPECT_EQ(U32(bytes, 62), 0x001FU);
}

TEST(BmpWriter, SavingFiles)
{
    const ScratchFolder folder;
    const std::filesystem::path& base = folder.Path();

    TPicture empty;
    empty.SaveToFile(base / "empty.jpg");
    EXPECT_FALSE(std::filesystem::exists(base / "empty.jpg")) << "an empty Picture creates no file";

    TPicture noPixels;
    noPixels.Bitmap();
    noPixels.SaveToFile(base / "none.bmp");
    EXPECT_EQ(std::filesystem::file_size(base / "none.bmp"), 0U);

    // 120 x 180 on a 32-bit display; a Bitmap is BMP data whatever the name
    // says, and an existing file is replaced, not appended to.
    TPicture picture;
    picture.Bitmap().SetSize(120, 180);
    for (int time = 0; time < 2; ++time) {
        picture.SaveToFile(base / "001.jpg");
        const std::vector<std::uint8_t> bytes = ReadBytes(base / "001.jpg");
        ASSERT_EQ(bytes.size(), 86454U);
        EXPECT_EQ(U32(bytes, 0) & 0xFFFF, 0x4D42U) << "BM";
        EXPECT_EQ(U32(bytes, 54), 0x00FFFFFFU) << "white: blue, green, red, 0";
    }
}

} // namespace

// Damaged BMP files made field by field: each fails with the component's
// error, allocates nothing large and reads nothing outside the data.
#include "PictureTestSupport.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct InfoHeader {
    std::uint32_t size = 40;
    std::int32_t width = 4;
    std::int32_t height = 2;
    std::uint16_t planes = 1;
    std::uint16_t bits = 8;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
};

void Put(Bytes& out, std::uint64_t value, int size)
{
    for (int i = 0; i < size; ++i)
        out.push_back(i < 8 ? static_cast<std::uint8_t>(value >> (8 * i)) : 0);
}

Bytes Join(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// File header + info header + `tail` (tables, masks, pixels). The pixel
// offset is 0, so the pixels follow the tables; the image size is 0.
Bytes MakeBmp(const InfoHeader& h, const Bytes& tail)
{
    Bytes out{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Put(out, h.size, 4);
    Put(out, static_cast<std::uint32_t>(h.width), 4);
    Put(out, static_cast<std::uint32_t>(h.height), 4);
    Put(out, h.planes, 2);
    Put(out, h.bits, 2);
    Put(out, h.compression, 4);
    Put(out, 0, 12);
    Put(out, h.colorsUsed, 4);
    Put(out, 0, 4);
    return Join(out, tail);
}

// A grey colour table of `entries` entries, followed by `pixels`.
Bytes Table(int entries, const Bytes& pixels = {})
{
    Bytes table;
    for (int i = 0; i < entries; ++i)
        Put(table, static_cast<std::uint32_t>(i * 0x010101), 4);
    return Join(table, pixels);
}

struct Malformed {
    std::string name;
    Bytes bytes;
    std::string message;
};

void PrintTo(const Malformed& row, std::ostream* out)
{
    *out << row.name;
}

std::vector<Malformed> Cases()
{
    const std::string notValid = "Bitmap image is not valid";
    const std::string readError = "Stream read error";
    const std::string outOfResources = "Out of system resources";
    const Bytes pixels8(8, 1);
    const Bytes full = Table(256, pixels8);
    Bytes infoCut = MakeBmp({}, {});
    infoCut.resize(20);
    return {
        {"Empty", {}, readError},
        {"FileHeaderCut", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, readError},
        {"InfoHeaderCut", infoCut, readError},
        {"HeaderSizeHuge", MakeBmp({.size = 0xFFFFFFFF}, full), readError},
        {"HeaderSizeTooSmall", MakeBmp({.size = 8}, full), notValid},
        {"WidthZero", MakeBmp({.width = 0}, full), notValid},
        {"HeightZero", MakeBmp({.height = 0}, full), notValid},
        {"BitsZero", MakeBmp({.bits = 0}, pixels8), notValid},
        // Sizes whose grid is beyond the limit, or whose row size overflows 32 bits.
        {"WidthHuge", MakeBmp({.width = 0x7FFFFFFF, .height = 1, .bits = 32}, pixels8), outOfResources},
        {"RowBytesOverflow32", MakeBmp({.width = 0x40000001, .height = 1, .bits = 32}, pixels8), outOfResources},
        {"TopDownMostNegative", MakeBmp({.height = INT32_MIN, .bits = 24}, pixels8), outOfResources},
        {"ManyRows", MakeBmp({.width = 1, .height = 0x7FFFFFFF, .bits = 1}, Table(2, pixels8)), outOfResources},
        // Tables and masks the file announces but does not hold.
        {"TableCut", MakeBmp({}, Table(100)), readError},
        {"ColorsUsedHuge24", MakeBmp({.bits = 24, .colorsUsed = 0xFFFFFFFF}, pixels8), readError},
        {"ColorsUsedPast256", MakeBmp({.colorsUsed = 257}, Table(257, pixels8)), notValid},
        {"MasksCut", MakeBmp({.bits = 16, .compression = 3}, {0, 0xF8, 0, 0}), readError},
        // Depth and compression that do not go together.
        {"BitFieldsAt24", MakeBmp({.bits = 24, .compression = 3}, Bytes(40, 0)), notValid},
        {"Rle8At16", MakeBmp({.bits = 16, .compression = 1}, pixels8), notValid},
        {"CompressionUnknown", MakeBmp({.compression = 99}, full), notValid},
        {"EmbeddedPng", MakeBmp({.bits = 0, .compression = 5}, pixels8), notValid},
        // Colour indices past the table (whole bytes: the suite's pal8badindex.bmp).
        {"Index4PastTable", MakeBmp({.bits = 4, .colorsUsed = 3}, Table(3, {0x12, 0x30, 0, 0, 0, 0, 0, 0})), notValid},
        // Run-length data that leaves the grid.
        {"Rle8RunPastRow", MakeBmp({.compression = 1}, Table(256, {5, 1, 0, 1})), notValid},
        {"Rle8AbsolutePastRow", MakeBmp({.compression = 1}, Table(256, {0, 6, 1, 1, 1, 1, 1, 1})), notValid},
        {"Rle8DeltaPastTop", MakeBmp({.compression = 1}, Table(256, {0, 2, 0, 9, 1, 1})), notValid},
        {"Rle8DeltaPastRight", MakeBmp({.compression = 1}, Table(256, {0, 2, 9, 0, 1, 1})), notValid},
        {"Rle8RowsPastTop", MakeBmp({.compression = 1}, Table(256, {0, 0, 0, 0, 1, 1})), notValid},
        {"Rle8IndexPastTable", MakeBmp({.compression = 1, .colorsUsed = 2}, Table(2, {2, 7, 0, 1})), notValid},
        {"Rle4RunPastRow", MakeBmp({.bits = 4, .compression = 2}, Table(16, {9, 0x11, 0, 1})), notValid},
    };
}

class MalformedBmp : public ::testing::TestWithParam<Malformed> { };

TEST_P(MalformedBmp, FailsWithTheRightError)
{
    TBitmap bitmap;
    EXPECT_EQ(ErrorOf([&] { bitmap.LoadFromStream(GetParam().bytes); }), GetParam().message)
        << "size " << bitmap.Width() << "x" << bitmap.Height();
    EXPECT_TRUE(bitmap.Empty()) << "a failed load changes nothing";
}

INSTANTIATE_TEST_SUITE_P(Bmp, MalformedBmp, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Malformed>& info) { return info.param.name; });

TEST(BmpReader, RunLengthDataThatStopsEarlyKeepsWhatItDrew)
{
    // Two pixels of entry 5 on the bottom row, then the data ends without an
    // end-of-bitmap code: what was drawn is kept, the rest is entry 0. (Row
    // order is shown by the BMP suite's top-down and bottom-up files.)
    TBitmap bitmap;
    bitmap.LoadFromStream(MakeBmp({.compression = 1}, Table(256, {2, 5})));
    ASSERT_TRUE(SameSize(bitmap, 4, 2));
    EXPECT_TRUE(PixelsAre(bitmap, [](std::int32_t x, std::int32_t y) { return y == 1 && x < 2 ? 0x050505 : 0; }));
}

TEST(BmpReader, FilesTheFuzzerTurnedUp)
{
    // wide-2bit-row-timeout.bmp: a 68-byte file announcing one row of
    // 167,772,287 two-bit pixels. The reader once checked the colour index of
    // every pixel of that row although the file holds four of them, which
    // took seconds (and the fuzzer's time limit under the sanitizers). Only the
    // pixels present are checked now; the rest are index 0.
    TBitmap bitmap;
    bitmap.LoadFromFile(TestData("malformed/wide-2bit-row-timeout.bmp"));
    EXPECT_TRUE(SameSize(bitmap, 167772287, 1));
    EXPECT_EQ(bitmap.BitsPerPixel(), 8) << "two-bit files become one index byte per pixel";
    ASSERT_EQ(bitmap.ColorTable().size(), 4U);
    // The one pixel byte after the table, 0x35, holds indices 0, 3, 1, 1.
    const std::uint8_t* row = bitmap.ScanLine(0);
    EXPECT_EQ((Bytes{row[0], row[1], row[2], row[3], row[1000]}), (Bytes{0, 3, 1, 1, 0}));
}

TEST(BmpReader, ATruncatedFileKeepsWhatItHasAndTheRestInColorZero)
{
    TBitmap whole;
    whole.LoadFromFile(TestData("bmpsuite/g/pal8.bmp"));
    std::vector<std::uint8_t> bytes = ReadBytes(TestData("bmpsuite/g/pal8.bmp"));
    // Keep the headers, the table and the bottom 10 rows (128 bytes each).
    bytes.resize(1062 + 10 * 128);
    TBitmap cut;
    cut.LoadFromStream(bytes);
    ASSERT_EQ(cut.Height(), 64);
    EXPECT_TRUE(PixelsAre(cut, [&](std::int32_t x, std::int32_t y) {
        return y >= 54 ? whole.Canvas().GetPixel(x, y) : cut.ColorTable()[0];
    }));
}

} // namespace

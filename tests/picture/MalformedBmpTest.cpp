// Damaged BMP files made field by field: each fails with the component's
// error, allocates nothing large and reads nothing outside the data.
#include "PictureTestSupport.h"

#include "common/picture/PictureErrors.h"
#include "common/picture/TBitmap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct InfoHeader {
    std::uint32_t size = 40;
    std::int32_t width = 4;
    std::int32_t height = 2;
    std::uint16_t planes = 1;
    std::uint16_t bits = 8;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
    std::uint32_t coloursUsed = 0;
};

void Put(std::vector<std::uint8_t>& out, std::uint64_t value, int size)
{
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// File header + info header (+ `tail`: tables, masks, pixels).
std::vector<std::uint8_t> MakeBmp(const InfoHeader& h, const std::vector<std::uint8_t>& tail)
{
    std::vector<std::uint8_t> out{'B', 'M'};
    Put(out, 0, 4);
    Put(out, 0, 4);
    Put(out, 0, 4);   // the pixel offset: 0, so the pixels follow the tables
    Put(out, h.size, 4);
    Put(out, static_cast<std::uint32_t>(h.width), 4);
    Put(out, static_cast<std::uint32_t>(h.height), 4);
    Put(out, h.planes, 2);
    Put(out, h.bits, 2);
    Put(out, h.compression, 4);
    Put(out, h.imageSize, 4);
    Put(out, 0, 8);
    Put(out, h.coloursUsed, 4);
    Put(out, 0, 4);
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}

// A grey colour table of `entries` entries.
std::vector<std::uint8_t> Table(int entries)
{
    std::vector<std::uint8_t> table;
    for (int i = 0; i < entries; ++i)
        Put(table, static_cast<std::uint32_t>(i * 0x010101), 4);
    return table;
}

std::vector<std::uint8_t> Join(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Malformed {
    std::string name;
    std::vector<std::uint8_t> bytes;
    std::string message;
};

std::vector<Malformed> Cases()
{
    const std::string notValid = "Bitmap image is not valid";
    const std::string readError = "Stream read error";
    const std::string outOfResources = "Out of system resources";
    const std::vector<std::uint8_t> pixels8(8, 1);
    std::vector<Malformed> cases;
    cases.push_back({"Empty", {}, readError});
    cases.push_back({"FileHeaderCut", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, readError});
    cases.push_back({"NotBM", Join(std::vector<std::uint8_t>{'B', 'A'}, std::vector<std::uint8_t>(60, 0)), notValid});
    {
        auto bytes = MakeBmp({}, {});
        bytes.resize(20);
        cases.push_back({"InfoHeaderCut", bytes, readError});
    }
    cases.push_back({"HeaderSizeHuge", MakeBmp({.size = 0xFFFFFFFF}, Join(Table(256), pixels8)), readError});
    cases.push_back({"HeaderSizeTooSmall", MakeBmp({.size = 8}, Join(Table(256), pixels8)), notValid});
    cases.push_back({"PlanesTwo", MakeBmp({.planes = 2}, Join(Table(256), pixels8)), notValid});
    cases.push_back({"WidthZero", MakeBmp({.width = 0}, Join(Table(256), pixels8)), notValid});
    cases.push_back({"WidthNegative", MakeBmp({.width = -4}, Join(Table(256), pixels8)), notValid});
    cases.push_back({"HeightZero", MakeBmp({.height = 0}, Join(Table(256), pixels8)), notValid});
    cases.push_back({"BitsSeven", MakeBmp({.bits = 7}, Join(Table(128), pixels8)), notValid});
    cases.push_back({"BitsZero", MakeBmp({.bits = 0}, pixels8), notValid});
    // Sizes whose grid is beyond the limit, or whose row size overflows 32 bits.
    cases.push_back({"WidthHuge", MakeBmp({.width = 0x7FFFFFFF, .height = 1, .bits = 32}, pixels8), outOfResources});
    cases.push_back({"RowBytesOverflow32", MakeBmp({.width = 0x40000001, .height = 1, .bits = 32}, pixels8),
                     outOfResources});
    cases.push_back({"TopDownMostNegative", MakeBmp({.height = INT32_MIN, .bits = 24}, pixels8), outOfResources});
    cases.push_back({"ManyRows", MakeBmp({.width = 1, .height = 0x7FFFFFFF, .bits = 1}, Join(Table(2), pixels8)),
                     outOfResources});
    // Tables and masks the file announces but does not hold.
    cases.push_back({"TableCut", MakeBmp({}, Table(100)), readError});
    cases.push_back({"ColoursUsedHuge24", MakeBmp({.bits = 24, .coloursUsed = 0xFFFFFFFF}, pixels8), readError});
    cases.push_back({"ColoursUsedPast256", MakeBmp({.coloursUsed = 257}, Join(Table(257), pixels8)), notValid});
    cases.push_back({"MasksCut", MakeBmp({.bits = 16, .compression = 3}, {0, 0xF8, 0, 0}), readError});
    // Depth and compression that do not go together.
    cases.push_back({"BitFieldsAt24", MakeBmp({.bits = 24, .compression = 3}, std::vector<std::uint8_t>(40, 0)),
                     notValid});
    cases.push_back({"Rle8At16", MakeBmp({.bits = 16, .compression = 1}, pixels8), notValid});
    cases.push_back({"CompressionUnknown", MakeBmp({.compression = 99}, Join(Table(256), pixels8)), notValid});
    cases.push_back({"EmbeddedPng", MakeBmp({.bits = 0, .compression = 5}, pixels8), notValid});
    // Colour indices past the table.
    cases.push_back({"IndexPastTable", MakeBmp({.coloursUsed = 1}, Join(Table(1), pixels8)), notValid});
    cases.push_back({"Index4PastTable", MakeBmp({.bits = 4, .coloursUsed = 3}, Join(Table(3), {0x12, 0x30, 0, 0,
                                                                                                0x00, 0x00, 0, 0})),
                     notValid});
    // Run-length data that leaves the grid.
    cases.push_back({"Rle8RunPastRow", MakeBmp({.compression = 1}, Join(Table(256), {5, 1, 0, 1})), notValid});
    cases.push_back({"Rle8AbsolutePastRow", MakeBmp({.compression = 1}, Join(Table(256), {0, 6, 1, 1, 1, 1, 1, 1})),
                     notValid});
    cases.push_back({"Rle8DeltaPastTop", MakeBmp({.compression = 1}, Join(Table(256), {0, 2, 0, 9, 1, 1})), notValid});
    cases.push_back({"Rle8DeltaPastRight", MakeBmp({.compression = 1}, Join(Table(256), {0, 2, 9, 0, 1, 1})),
                     notValid});
    cases.push_back({"Rle8RowsPastTop", MakeBmp({.compression = 1}, Join(Table(256), {0, 0, 0, 0, 1, 1})), notValid});
    cases.push_back({"Rle8IndexPastTable", MakeBmp({.compression = 1, .coloursUsed = 2}, Join(Table(2), {2, 7, 0, 1})),
                     notValid});
    cases.push_back({"Rle4RunPastRow", MakeBmp({.bits = 4, .compression = 2}, Join(Table(16), {9, 0x11, 0, 1})),
                     notValid});
    cases.push_back({"RleTopDown", MakeBmp({.height = -2, .compression = 1}, Join(Table(256), {2, 1, 0, 1})),
                     notValid});
    return cases;
}

class MalformedBmp : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedBmp, FailsWithTheRightError)
{
    TBitmap bitmap;
    try {
        bitmap.LoadFromStream(GetParam().bytes);
        ADD_FAILURE() << "loaded " << bitmap.Width() << "x" << bitmap.Height();
    } catch (const EPictureError& error) {
        EXPECT_EQ(error.what(), GetParam().message);
    }
    EXPECT_TRUE(bitmap.Empty()) << "a failed load changes nothing";
}

INSTANTIATE_TEST_SUITE_P(Bmp, MalformedBmp, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Malformed>& info) { return info.param.name; });

TEST(BmpReader, RunLengthDataThatStopsEarlyKeepsWhatItDrew)
{
    // Two pixels of entry 5 on the bottom row, then the data ends without an
    // end-of-bitmap code.
    TBitmap bitmap;
    bitmap.LoadFromStream(MakeBmp({.compression = 1}, Join(Table(256), {2, 5})));
    ASSERT_EQ(bitmap.Width(), 4);
    EXPECT_TRUE(bitmap.IsDisplayForm());
    EXPECT_EQ(bitmap.Canvas().GetPixel(0, 1), 0x050505);
    EXPECT_EQ(bitmap.Canvas().GetPixel(1, 1), 0x050505);
    EXPECT_EQ(bitmap.Canvas().GetPixel(2, 1), clBlack);
    EXPECT_EQ(bitmap.Canvas().GetPixel(0, 0), clBlack);
}

TEST(BmpReader, ATopDownFileIsReadTheRightWayUp)
{
    // Rows of entries 1 then 2, first row on top.
    TBitmap bitmap;
    bitmap.LoadFromStream(MakeBmp({.height = -2}, Join(Table(256), {1, 1, 1, 1, 2, 2, 2, 2})));
    EXPECT_EQ(bitmap.Canvas().GetPixel(0, 0), 0x010101);
    EXPECT_EQ(bitmap.Canvas().GetPixel(3, 1), 0x020202);
    TBitmap bottomUp;
    bottomUp.LoadFromStream(MakeBmp({}, Join(Table(256), {1, 1, 1, 1, 2, 2, 2, 2})));
    EXPECT_EQ(bottomUp.Canvas().GetPixel(0, 0), 0x020202);
}

TEST(BmpReader, FilesTheFuzzerTurnedUp)
{
    // wide-2bit-row-timeout.bmp: a 68-byte file announcing one row of
    // 167,772,287 two-bit pixels. The reader once checked the colour index of
    // every pixel of that row although the file holds four of them, which
    // took seconds (and the fuzzer's time limit under the sanitizers). Only the
    // pixels present are checked now; the rest are index 0.
    TBitmap bitmap;
    bitmap.LoadFromFile(PictureTestFile("malformed/wide-2bit-row-timeout.bmp"));
    EXPECT_EQ(bitmap.Width(), 167772287);
    EXPECT_EQ(bitmap.Height(), 1);
    EXPECT_EQ(bitmap.BitsPerPixel(), 8) << "two-bit files become one index byte per pixel";
    ASSERT_EQ(bitmap.ColorTable().size(), 4U);
    // The one pixel byte after the table, 0x35, holds indices 0, 3, 1, 1.
    const std::uint8_t* row = bitmap.ScanLine(0);
    EXPECT_EQ(row[0], 0);
    EXPECT_EQ(row[1], 3);
    EXPECT_EQ(row[2], 1);
    EXPECT_EQ(row[3], 1);
    EXPECT_EQ(row[1000], 0);
}

} // namespace

#include "common/picture/BmpReader.h"

#include "common/picture/ByteReader.h"
#include "common/picture/DisplayColorDepth.h"
#include "common/picture/PictureErrors.h"
#include "common/picture/PixelGrid.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

// The layout read here is the Windows BMP format: a 14-byte file header
// ("BM", file size, two reserved words, pixel data offset) and then either the
// 12-byte core header of OS/2 1.x (16-bit width and height, planes, bits per
// pixel; 3-byte colour table entries) or an info header of 16 bytes or more
// (BITMAPINFOHEADER is 40; OS/2 2.x, V2, V3, V4 and V5 headers are 16 to 124):
//   +4 width, +8 height (negative: top row first), +12 planes, +14 bits per
//   pixel, +16 compression, +20 image size, +24/+28 resolution, +32 colours
//   used, +36 important colours, +40/+44/+48 red, green, blue masks (V2 and
//   later), +52 alpha mask.
// Fields a short header leaves out count as zero.

namespace {

[[noreturn]] void NotValid()
{
    throw EInvalidGraphic(kBitmapNotValidMessage);
}

[[noreturn]] void ReadError()
{
    throw EReadError(kStreamReadErrorMessage);
}

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kMinimumInfoHeaderSize = 16;
// Fields past this offset of an info header are not used.
constexpr std::uint32_t kUsedInfoHeaderSize = 56;

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitFields = 3;      // with 1 bit per pixel: OS/2 Huffman 1D
constexpr std::uint32_t kBiJpeg = 4;           // with 24 bits per pixel: OS/2 RLE24
constexpr std::uint32_t kBiAlphaBitFields = 6;

enum class Encoding { Plain, BitFields, Rle8, Rle4, Rle24 };

struct Header {
    bool core = false;
    std::uint32_t size = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool topDown = false;
    std::uint32_t planes = 0;
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t imageSize = 0;
    std::uint32_t colorsUsed = 0;
    BitFields masks;
    bool masksInHeader = false;
};

std::uint32_t Field32(const std::array<std::uint8_t, kUsedInfoHeaderSize>& header, std::size_t offset)
{
    return static_cast<std::uint32_t>(header[offset]) | (static_cast<std::uint32_t>(header[offset + 1]) << 8)
           | (static_cast<std::uint32_t>(header[offset + 2]) << 16)
           | (static_cast<std::uint32_t>(header[offset + 3]) << 24);
}

std::uint32_t Field16(const std::array<std::uint8_t, kUsedInfoHeaderSize>& header, std::size_t offset)
{
    return static_cast<std::uint32_t>(header[offset]) | (static_cast<std::uint32_t>(header[offset + 1]) << 8);
}

Header ReadHeader(ByteReader& reader)
{
    Header header;
    if (!reader.U32(header.size))
        ReadError();
    if (header.size == kCoreHeaderSize) {
        std::uint16_t width = 0;
        std::uint16_t height = 0;
        std::uint16_t planes = 0;
        std::uint16_t bits = 0;
        if (!reader.U16(width) || !reader.U16(height) || !reader.U16(planes) || !reader.U16(bits))
            ReadError();
        header.core = true;
        header.width = width;
        header.height = height;
        header.planes = planes;
        header.bitsPerPixel = bits;
        return header;
    }
    if (header.size < kMinimumInfoHeaderSize)
        NotValid();
    const std::uint32_t rest = header.size - 4;
    const std::span<const std::uint8_t> bytes = reader.Peek(rest);
    if (bytes.empty())
        ReadError();
    reader.Skip(rest);

    // Offsets below are those of the header minus its 4-byte size field.
    std::array<std::uint8_t, kUsedInfoHeaderSize> fields{};
    std::memcpy(fields.data(), bytes.data(), std::min<std::size_t>(bytes.size(), fields.size()));
    const auto height = static_cast<std::int32_t>(Field32(fields, 4));
    header.width = static_cast<std::int32_t>(Field32(fields, 0));
    header.height = height;
    if (height < 0) {
        header.topDown = true;
        header.height = -static_cast<std::int64_t>(height);
    }
    header.planes = Field16(fields, 8);
    header.bitsPerPixel = Field16(fields, 10);
    header.compression = Field32(fields, 12);
    header.imageSize = Field32(fields, 16);
    header.colorsUsed = Field32(fields, 28);
    if (header.size >= 52) {
        header.masks = BitFields{Field32(fields, 36), Field32(fields, 40), Field32(fields, 44)};
        header.masksInHeader = true;
    }
    return header;
}

Encoding ChooseEncoding(const Header& header)
{
    const std::uint32_t bits = header.bitsPerPixel;
    switch (header.compression) {
    case kBiRgb:
        if (bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32)
            return Encoding::Plain;
        break;
    case kBiRle8:
        if (bits == 8 && !header.topDown)
            return Encoding::Rle8;
        break;
    case kBiRle4:
        if (bits == 4 && !header.topDown)
            return Encoding::Rle4;
        break;
    case kBiBitFields:
    case kBiAlphaBitFields:
        if (!header.core && (bits == 16 || bits == 32))
            return Encoding::BitFields;
        break;
    case kBiJpeg:
        if (bits == 24 && !header.topDown)
            return Encoding::Rle24;
        break;
    default:
        break;
    }
    NotValid();
}

TColor TableEntry(std::span<const std::uint8_t> entry)
{
    return RGB(entry[2], entry[1], entry[0]);
}

// Plain rows, bottom row first unless the file is top-down. Data that ends
// early leaves the remaining rows zero.
void ReadPlainRows(PixelGrid& grid, const Header& header, std::span<const std::uint8_t> data)
{
    const auto height = static_cast<std::int32_t>(header.height);
    const auto fileRowBytes = static_cast<std::size_t>(PixelGrid::RowBytesFor(header.width, 
                                                                              static_cast<int>(header.bitsPerPixel)));
    for (std::int32_t i = 0; i < height; ++i) {
        const std::size_t offset = static_cast<std::size_t>(i) * fileRowBytes;
        if (offset >= data.size())
            return;
        const std::size_t count = std::min(fileRowBytes, data.size() - offset);
        const std::int32_t y = header.topDown ? i : height - 1 - i;
        std::uint8_t* row = grid.Row(y);
        if (header.bitsPerPixel != 2) {
            std::memcpy(row, data.data() + offset, count);
            continue;
        }
        // 2-bit rows become one index byte per pixel.
        const auto width = static_cast<std::size_t>(grid.Width());
        for (std::size_t x = 0; x < width && x / 4 < count; ++x)
            row[x] = static_cast<std::uint8_t>((data[offset + x / 4] >> (6 - 2 * (x % 4))) & 3);
    }
}

// Every pixel the file gave an indexed grid must name an entry of its colour
// table. Only the pixels `data` holds need a look (the rest hold index 0), so
// a short file claiming a huge grid is not scanned page by page.
void CheckIndices(const PixelGrid& grid, const Header& header, std::span<const std::uint8_t> data)
{
    const std::size_t tableSize = grid.ColorTable().size();
    const int bits = grid.BitsPerPixel();
    if (tableSize >= (std::size_t{1} << bits))
        return;
    if (tableSize == 0)
        NotValid();
    const auto fileBits = static_cast<std::size_t>(header.bitsPerPixel);
    const auto fileRowBytes = static_cast<std::size_t>(PixelGrid::RowBytesFor(header.width,
                                                                              static_cast<int>(fileBits)));
    const auto width = static_cast<std::size_t>(grid.Width());
    for (std::int32_t i = 0; i < grid.Height(); ++i) {
        const std::size_t offset = static_cast<std::size_t>(i) * fileRowBytes;
        if (offset >= data.size())
            return;
        const std::size_t pixels = std::min(width, std::min(fileRowBytes, data.size() - offset) * 8 / fileBits);
        const std::uint8_t* row = grid.Row(header.topDown ? i : grid.Height() - 1 - i);
        for (std::size_t x = 0; x < pixels; ++x) {
            std::size_t index = 0;
            if (bits == 8)
                index = row[x];
            else if (bits == 4)
                index = (row[x / 2] >> ((x & 1) ? 0 : 4)) & 15;
            else
                index = (row[x / 8] >> (7 - (x & 7))) & 1;
            if (index >= tableSize)
                NotValid();
        }
    }
}

// Run-length data, bottom row first, into a display-form grid. Pixels that
// delta and end-of-line codes skip stay black. Data that ends before the
// end-of-bitmap code leaves the rest black too; a run or a move that leaves the
// grid, or an index past the colour table, makes the file invalid.
void ReadRunLengthRows(PixelGrid& grid, Encoding encoding, const std::vector<std::uint32_t>& palette,
                       std::span<const std::uint8_t> data)
{
    ByteReader reader(data);
    const std::int64_t width = grid.Width();
    const std::int64_t height = grid.Height();
    std::int64_t x = 0;
    std::int64_t y = 0;   // counted from the bottom row
    auto colourOf = [&](std::uint32_t index) {
        if (index >= palette.size())
            NotValid();
        return palette[index];
    };
    auto put = [&](std::uint32_t rgb) {
        grid.SetRgb32(static_cast<std::int32_t>(x), static_cast<std::int32_t>(height - 1 - y), rgb);
        ++x;
    };
    auto checkRun = [&](std::int64_t count) {
        if (y >= height || x + count > width)
            NotValid();
    };

    for (;;) {
        std::uint8_t first = 0;
        std::uint8_t second = 0;
        if (!reader.U8(first) || !reader.U8(second))
            return;
        if (first > 0) {
            checkRun(first);
            if (encoding == Encoding::Rle24) {
                std::uint8_t green = 0;
                std::uint8_t red = 0;
                if (!reader.U8(green) || !reader.U8(red))
                    return;
                const std::uint32_t rgb = (static_cast<std::uint32_t>(red) << 16) | (green << 8) | second;
                for (int i = 0; i < first; ++i)
                    put(rgb);
            } else if (encoding == Encoding::Rle8) {
                const std::uint32_t rgb = colourOf(second);
                for (int i = 0; i < first; ++i)
                    put(rgb);
            } else {
                const std::uint32_t high = colourOf(second >> 4);
                const std::uint32_t low = colourOf(second & 15);
                for (int i = 0; i < first; ++i)
                    put((i & 1) ? low : high);
            }
            continue;
        }
        if (second == 0) {          // end of line
            x = 0;
            ++y;
            continue;
        }
        if (second == 1)            // end of bitmap
            return;
        if (second == 2) {          // delta: move right and up
            std::uint8_t dx = 0;
            std::uint8_t dy = 0;
            if (!reader.U8(dx) || !reader.U8(dy))
                return;
            x += dx;
            y += dy;
            if (x > width || y > height)
                NotValid();
            continue;
        }
        // Absolute run of `second` pixels, padded to a whole 16-bit word.
        const std::int64_t count = second;
        checkRun(count);
        const std::size_t bytes = encoding == Encoding::Rle24  ? static_cast<std::size_t>(count) * 3
                                  : encoding == Encoding::Rle8 ? static_cast<std::size_t>(count)
                                                               : static_cast<std::size_t>(count + 1) / 2;
        const std::span<const std::uint8_t> run = reader.Peek(bytes);
        if (run.empty())
            return;
        for (std::int64_t i = 0; i < count; ++i) {
            const auto ui = static_cast<std::size_t>(i);
            if (encoding == Encoding::Rle24)
                put(run[ui * 3] | (run[ui * 3 + 1] << 8) | (static_cast<std::uint32_t>(run[ui * 3 + 2]) << 16));
            else if (encoding == Encoding::Rle8)
                put(colourOf(run[ui]));
            else
                put(colourOf((run[ui / 2] >> ((ui & 1) ? 0 : 4)) & 15));
        }
        reader.Skip(bytes + (bytes & 1));
    }
}

// The file header ("BM", then the pixel data offset) and the bitmap header,
// with the checks every reading makes before it looks at the pixels.
struct Headers {
    std::uint32_t pixelOffset = 0;
    Header header;
    Encoding encoding = Encoding::Plain;
};

Headers ReadHeaders(ByteReader& reader)
{
    std::uint8_t b = 0;
    std::uint8_t m = 0;
    std::uint32_t fileSize = 0;
    std::uint32_t reserved = 0;
    Headers headers;
    if (!reader.U8(b) || !reader.U8(m) || !reader.U32(fileSize) || !reader.U32(reserved)
        || !reader.U32(headers.pixelOffset))
        ReadError();
    if (b != 'B' || m != 'M')
        NotValid();

    headers.header = ReadHeader(reader);
    if (headers.header.planes != 1)
        NotValid();
    if (headers.header.width <= 0 || headers.header.height <= 0)
        NotValid();
    headers.encoding = ChooseEncoding(headers.header);
    return headers;
}

} // namespace

BmpHeader ReadBmpHeader(std::span<const std::uint8_t> bytes)
{
    ByteReader reader(bytes);
    const Headers headers = ReadHeaders(reader);
    return BmpHeader{static_cast<std::int32_t>(std::min<std::int64_t>(headers.header.width, INT32_MAX)),
                     static_cast<std::int32_t>(std::min<std::int64_t>(headers.header.height, INT32_MAX)),
                     static_cast<int>(headers.header.bitsPerPixel)};
}

std::shared_ptr<PixelGrid> ReadBmp(std::span<const std::uint8_t> bytes)
{
    ByteReader reader(bytes);
    const auto [pixelOffset, header, encoding] = ReadHeaders(reader);

    BitFields masks = header.masks;
    if (encoding == Encoding::BitFields && !header.masksInHeader) {
        // Masks follow a short header: red, green, blue, and alpha as well
        // for the alpha variant.
        const std::uint32_t count = header.compression == kBiAlphaBitFields ? 4 : 3;
        std::uint32_t values[4] = {};
        for (std::uint32_t i = 0; i < count; ++i) {
            if (!reader.U32(values[i]))
                ReadError();
        }
        masks = BitFields{values[0], values[1], values[2]};
    }

    // Colour table: as many entries as the header says, by default a full
    // table for 8 bits per pixel or fewer.
    const std::uint64_t entrySize = header.core ? 3 : 4;
    std::uint64_t entries = header.colorsUsed;
    if (header.core || entries == 0)
        entries = header.bitsPerPixel <= 8 ? (std::uint64_t{1} << header.bitsPerPixel) : 0;
    if (header.bitsPerPixel <= 8 && entries > 256)
        NotValid();
    // A pixel data offset inside the announced table means a shorter table
    // (OS/2 files often store only the colours they use).
    const std::uint64_t tableStart = reader.Position();
    if (pixelOffset >= tableStart && pixelOffset < tableStart + entries * entrySize)
        entries = (pixelOffset - tableStart) / entrySize;
    const std::span<const std::uint8_t> table = reader.Peek(entries * entrySize);
    if (entries != 0 && table.empty())
        ReadError();
    reader.Skip(entries * entrySize);
    std::vector<TColor> colorTable;
    if (header.bitsPerPixel <= 8) {
        colorTable.reserve(static_cast<std::size_t>(entries));
        for (std::size_t i = 0; i < entries; ++i)
            colorTable.push_back(TableEntry(table.subspan(i * entrySize, 3)));
    }

    // The pixels start at the file header's offset when that lies past the
    // tables and inside the file; otherwise right after the tables.
    if (pixelOffset > reader.Position() && pixelOffset < bytes.size())
        reader.Seek(pixelOffset);
    const std::span<const std::uint8_t> rest = reader.Rest();

    const auto width = static_cast<std::int32_t>(std::min<std::int64_t>(header.width, INT32_MAX));
    PixelGrid::CheckSize(header.width, header.height, std::max<int>(static_cast<int>(header.bitsPerPixel), 8));
    const auto height = static_cast<std::int32_t>(header.height);

    if (encoding == Encoding::Rle8 || encoding == Encoding::Rle4 || encoding == Encoding::Rle24) {
        const int depth = DisplayColorDepth();
        PixelGrid::CheckSize(header.width, header.height, depth);
        auto grid = std::make_shared<PixelGrid>(width, height, depth, GridForm::Display);
        if (depth <= 8)
            grid->SetColorTable(DisplayPalette());
        std::vector<std::uint32_t> palette;
        for (TColor entry : colorTable)
            palette.push_back(PixelGrid::SwapRedBlue(static_cast<std::uint32_t>(entry)));
        const std::size_t size = header.imageSize != 0 ? std::min<std::size_t>(header.imageSize, rest.size())
                                                       : rest.size();
        ReadRunLengthRows(*grid, encoding, palette, rest.first(size));
        return grid;
    }

    const int depth = header.bitsPerPixel == 2 ? 8 : static_cast<int>(header.bitsPerPixel);
    auto grid = std::make_shared<PixelGrid>(width, height, depth, GridForm::Own);
    if (depth <= 8)
        grid->SetColorTable(std::move(colorTable));
    if (encoding == Encoding::BitFields)
        grid->SetBitFields(masks);
    const std::uint64_t fileImageSize
        = PixelGrid::RowBytesFor(header.width, static_cast<int>(header.bitsPerPixel)) * static_cast<std::uint64_t>(height);
    const std::uint64_t announced = header.imageSize != 0 ? header.imageSize : fileImageSize;
    const auto size = static_cast<std::size_t>(std::min<std::uint64_t>({announced, fileImageSize, rest.size()}));
    ReadPlainRows(*grid, header, rest.first(size));
    if (depth <= 8)
        CheckIndices(*grid, header, rest.first(size));
    return grid;
}

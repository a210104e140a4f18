#include "picture/detail/BmpReader.h"

#include "picture/DisplayColorDepth.h"
#include "picture/PictureErrors.h"
#include "picture/detail/BmpFormat.h"
#include "picture/detail/ByteReader.h"
#include "picture/detail/DisplayGrid.h"
#include "picture/detail/PixelGrid.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

// The file is read in the order of its parts (BmpFormat.h), each part by one
// function, every byte through a ByteReader.

namespace {

using namespace BmpFormat;

[[noreturn]] void NotValid()
{
    throw EInvalidGraphic(kBitmapNotValidMessage);
}

[[noreturn]] void ReadError()
{
    throw EReadError(kStreamReadErrorMessage);
}

enum class Encoding { Plain, BitFields, Rle8, Rle4, Rle24 };

// ---- file header ----

// Gives the pixel data offset; the file size and the reserved words are not used.
std::uint32_t ReadFileHeader(ByteReader& reader)
{
    std::uint8_t signature[2] = {};
    std::uint32_t fileSize = 0;
    std::uint32_t reserved = 0;
    std::uint32_t pixelOffset = 0;
    if (!reader.U8(signature[0]) || !reader.U8(signature[1]) || !reader.U32(fileSize) || !reader.U32(reserved)
        || !reader.U32(pixelOffset))
        ReadError();
    if (signature[0] != kSignature[0] || signature[1] != kSignature[1])
        NotValid();
    return pixelOffset;
}

// ---- bitmap header ----

struct BitmapHeader {
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

void ReadCoreHeader(ByteReader& reader, BitmapHeader& header)
{
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
}

void ReadInfoHeader(ByteReader& reader, BitmapHeader& header)
{
    if (header.size < kMinimumInfoHeaderSize)
        NotValid();
    const std::uint32_t rest = header.size - 4;
    const std::span<const std::uint8_t> bytes = reader.Peek(rest);
    if (bytes.empty())
        ReadError();
    reader.Skip(rest);

    // The fields up to the blue mask, those of a short header followed by zeros.
    std::array<std::uint8_t, kHeaderWithMasksSize - 4> used{};
    std::memcpy(used.data(), bytes.data(), std::min(bytes.size(), used.size()));
    ByteReader fields(used);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t planes = 0;
    std::uint16_t bits = 0;
    std::uint32_t unused = 0;
    fields.U32(width);
    fields.U32(height);
    fields.U16(planes);
    fields.U16(bits);
    fields.U32(header.compression);
    fields.U32(header.imageSize);
    fields.U32(unused); // horizontal resolution
    fields.U32(unused); // vertical resolution
    fields.U32(header.colorsUsed);
    fields.U32(unused); // important colours
    header.width = static_cast<std::int32_t>(width);
    header.height = static_cast<std::int32_t>(height);
    if (header.height < 0) {
        header.topDown = true;
        header.height = -header.height;
    }
    header.planes = planes;
    header.bitsPerPixel = bits;
    if (header.size >= kHeaderWithMasksSize) {
        fields.U32(header.masks.Red);
        fields.U32(header.masks.Green);
        fields.U32(header.masks.Blue);
        header.masksInHeader = true;
    }
}

BitmapHeader ReadBitmapHeader(ByteReader& reader)
{
    BitmapHeader header;
    if (!reader.U32(header.size))
        ReadError();
    if (header.size == kCoreHeaderSize)
        ReadCoreHeader(reader, header);
    else
        ReadInfoHeader(reader, header);
    return header;
}

Encoding ChooseEncoding(const BitmapHeader& header)
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

// The two headers, with the checks every reading makes before it looks at
// the pixels.
struct Headers {
    std::uint32_t pixelOffset = 0;
    BitmapHeader header;
    Encoding encoding = Encoding::Plain;
};

Headers ReadHeaders(ByteReader& reader)
{
    Headers headers;
    headers.pixelOffset = ReadFileHeader(reader);
    headers.header = ReadBitmapHeader(reader);
    if (headers.header.planes != 1)
        NotValid();
    if (headers.header.width <= 0 || headers.header.height <= 0)
        NotValid();
    headers.encoding = ChooseEncoding(headers.header);
    return headers;
}

// ---- masks ----

// The masks of a bit-field file: in its header, or following a short header
// (red, green, blue, and alpha as well for the alpha variant).
BitFields ReadMasks(ByteReader& reader, const Headers& headers)
{
    if (headers.encoding != Encoding::BitFields || headers.header.masksInHeader)
        return headers.header.masks;
    const std::uint32_t count = headers.header.compression == kBiAlphaBitFields ? 4 : 3;
    std::uint32_t values[4] = {};
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!reader.U32(values[i]))
            ReadError();
    }
    return BitFields{values[0], values[1], values[2]};
}

// ---- colour table ----

// As many entries as the header says, by default a full table for 8 bits per
// pixel or fewer; kept only for those depths. A pixel data offset inside the
// announced table means a shorter table (OS/2 files often store only the
// colours they use).
std::vector<TColor> ReadColorTable(ByteReader& reader, const Headers& headers)
{
    const BitmapHeader& header = headers.header;
    const std::uint64_t entrySize = header.core ? kCoreTableEntrySize : kInfoTableEntrySize;
    std::uint64_t entries = header.colorsUsed;
    if (header.core || entries == 0)
        entries = header.bitsPerPixel <= 8 ? (std::uint64_t{1} << header.bitsPerPixel) : 0;
    if (header.bitsPerPixel <= 8 && entries > 256)
        NotValid();
    const std::uint64_t tableStart = reader.Position();
    if (headers.pixelOffset >= tableStart && headers.pixelOffset < tableStart + entries * entrySize)
        entries = (headers.pixelOffset - tableStart) / entrySize;
    if (!reader.Has(entries * entrySize))
        ReadError();
    std::vector<TColor> table;
    if (header.bitsPerPixel > 8) {
        reader.Skip(entries * entrySize);
        return table;
    }
    table.reserve(static_cast<std::size_t>(entries));
    for (std::uint64_t i = 0; i < entries; ++i) {
        std::uint8_t blue = 0;
        std::uint8_t green = 0;
        std::uint8_t red = 0;
        reader.U8(blue);
        reader.U8(green);
        reader.U8(red);
        reader.Skip(entrySize - 3);
        table.push_back(RGB(red, green, blue));
    }
    return table;
}

// ---- pixels ----

// The pixels start at the file header's offset when that lies past the
// tables and inside the file; otherwise right after the tables.
ByteReader PixelData(ByteReader& reader, std::uint32_t pixelOffset)
{
    if (pixelOffset > reader.Position() && pixelOffset - reader.Position() < reader.Remaining())
        reader.Skip(pixelOffset - reader.Position());
    return ByteReader(reader.Rest());
}

// Plain rows, bottom row first unless the file is top-down. Data that ends
// early leaves the remaining rows zero.
void ReadPlainRows(PixelGrid& grid, const BitmapHeader& header, ByteReader pixels)
{
    const auto height = static_cast<std::int32_t>(header.height);
    const std::uint64_t fileRowBytes = PixelGrid::RowBytesFor(header.width, static_cast<int>(header.bitsPerPixel));
    for (std::int32_t i = 0; i < height; ++i) {
        const std::span<const std::uint8_t> bytes = pixels.TakeUpTo(fileRowBytes);
        if (bytes.empty())
            return;
        std::uint8_t* row = grid.Row(header.topDown ? i : height - 1 - i);
        if (header.bitsPerPixel != 2) {
            std::memcpy(row, bytes.data(), bytes.size());
            continue;
        }
        // 2-bit rows become one index byte per pixel.
        const auto width = static_cast<std::size_t>(grid.Width());
        for (std::size_t x = 0; x < width && x / 4 < bytes.size(); ++x)
            row[x] = static_cast<std::uint8_t>((bytes[x / 4] >> (6 - 2 * (x % 4))) & 3);
    }
}

// Every pixel the file gave an indexed grid must name an entry of its colour
// table. Only the pixels of the `dataBytes` the file held need a look (the
// rest hold index 0), so a short file claiming a huge grid is not scanned
// page by page.
void CheckIndices(const PixelGrid& grid, const BitmapHeader& header, std::size_t dataBytes)
{
    const std::size_t tableSize = grid.ColorTable().size();
    const int bits = grid.BitsPerPixel();
    if (tableSize >= (std::size_t{1} << bits))
        return;
    if (tableSize == 0)
        NotValid();
    const auto fileBits = static_cast<std::size_t>(header.bitsPerPixel);
    const auto fileRowBytes =
        static_cast<std::size_t>(PixelGrid::RowBytesFor(header.width, static_cast<int>(fileBits)));
    const auto width = static_cast<std::size_t>(grid.Width());
    for (std::int32_t i = 0; i < grid.Height(); ++i) {
        const std::size_t offset = static_cast<std::size_t>(i) * fileRowBytes;
        if (offset >= dataBytes)
            return;
        const std::size_t pixels = std::min(width, std::min(fileRowBytes, dataBytes - offset) * 8 / fileBits);
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

// ---- run-length pixels ----

// Where run-length data puts its pixels: a display-form grid, rows counted
// from the bottom. A run or a move that leaves the grid, or an index past the
// colour table, makes the file invalid.
class RunCursor {
public:
    RunCursor(PixelGrid& grid, const std::vector<std::uint32_t>& palette) : grid_(grid), palette_(palette) { }

    // The 0x00RRGGBB colour of a colour table index.
    std::uint32_t ColorOf(std::uint32_t index) const
    {
        if (index >= palette_.size())
            NotValid();
        return palette_[index];
    }
    // A run of `count` pixels must fit into the rest of the row.
    void CheckRun(std::int64_t count) const
    {
        if (y_ >= grid_.Height() || x_ + count > grid_.Width())
            NotValid();
    }
    void Put(std::uint32_t rgb)
    {
        grid_.SetRgb32(static_cast<std::int32_t>(x_), static_cast<std::int32_t>(grid_.Height() - 1 - y_), rgb);
        ++x_;
    }
    void EndLine()
    {
        x_ = 0;
        ++y_;
    }
    void Move(std::uint8_t right, std::uint8_t up)
    {
        x_ += right;
        y_ += up;
        if (x_ > grid_.Width() || y_ > grid_.Height())
            NotValid();
    }

private:
    PixelGrid& grid_;
    const std::vector<std::uint32_t>& palette_;
    std::int64_t x_ = 0;
    std::int64_t y_ = 0;
};

// An encoded run repeats what the byte after its count holds; an absolute run
// holds its pixels one after another.
enum class RunForm { Encoded, Absolute };

struct Run {
    RunForm form;
    std::uint8_t count;
    std::uint8_t value; // the byte after the count of an encoded run
};

// The bytes of an absolute run, which is padded to a whole 16-bit word;
// empty when the data ends inside it.
std::span<const std::uint8_t> AbsoluteRunBytes(ByteReader& reader, std::size_t bytes)
{
    const std::span<const std::uint8_t> run = reader.Peek(bytes);
    if (!run.empty())
        reader.Skip(bytes + (bytes & 1));
    return run;
}

// Each kind puts the pixels of one run (whose size is checked already) and
// reports false when the data ends inside it.

// RLE8: one colour table index a byte.
bool PutRle8Run(RunCursor& cursor, ByteReader& reader, const Run& run)
{
    if (run.form == RunForm::Encoded) {
        const std::uint32_t rgb = cursor.ColorOf(run.value);
        for (int i = 0; i < run.count; ++i)
            cursor.Put(rgb);
        return true;
    }
    const std::span<const std::uint8_t> indices = AbsoluteRunBytes(reader, run.count);
    for (const std::uint8_t index : indices)
        cursor.Put(cursor.ColorOf(index));
    return !indices.empty();
}

// RLE4: two colour table indices a byte, the high four bits first; an encoded
// run alternates its byte's two colours.
bool PutRle4Run(RunCursor& cursor, ByteReader& reader, const Run& run)
{
    if (run.form == RunForm::Encoded) {
        const std::uint32_t high = cursor.ColorOf(run.value >> 4);
        const std::uint32_t low = cursor.ColorOf(run.value & 15);
        for (int i = 0; i < run.count; ++i)
            cursor.Put((i & 1) ? low : high);
        return true;
    }
    const std::span<const std::uint8_t> indices = AbsoluteRunBytes(reader, (run.count + 1) / 2);
    if (indices.empty())
        return false;
    for (std::size_t i = 0; i < run.count; ++i)
        cursor.Put(cursor.ColorOf((indices[i / 2] >> ((i & 1) ? 0 : 4)) & 15));
    return true;
}

// OS/2 RLE24: blue, green and red bytes; an encoded run's blue is the byte
// after its count, its green and red follow.
bool PutRle24Run(RunCursor& cursor, ByteReader& reader, const Run& run)
{
    if (run.form == RunForm::Encoded) {
        std::uint8_t green = 0;
        std::uint8_t red = 0;
        if (!reader.U8(green) || !reader.U8(red))
            return false;
        const std::uint32_t rgb = (static_cast<std::uint32_t>(red) << 16) | (green << 8) | run.value;
        for (int i = 0; i < run.count; ++i)
            cursor.Put(rgb);
        return true;
    }
    const std::span<const std::uint8_t> pixels = AbsoluteRunBytes(reader, std::size_t{run.count} * 3);
    if (pixels.empty())
        return false;
    for (std::size_t i = 0; i < run.count; ++i)
        cursor.Put(pixels[i * 3] | (pixels[i * 3 + 1] << 8) | (static_cast<std::uint32_t>(pixels[i * 3 + 2]) << 16));
    return true;
}

using PutRun = bool (*)(RunCursor&, ByteReader&, const Run&);

// The codes all three kinds share: a count and a value make an encoded run;
// a zero count escapes to end of line, end of bitmap, a move right and up,
// or (3 and more) an absolute run of that many pixels. Pixels that moves and
// line ends skip stay black, and so does the rest when the data ends before
// the end-of-bitmap code.
void ReadRunLengthRows(RunCursor& cursor, ByteReader pixels, PutRun putRun)
{
    for (;;) {
        std::uint8_t first = 0;
        std::uint8_t second = 0;
        if (!pixels.U8(first) || !pixels.U8(second))
            return;
        if (first > 0) {
            cursor.CheckRun(first);
            if (!putRun(cursor, pixels, Run{RunForm::Encoded, first, second}))
                return;
        } else if (second == 0) {
            cursor.EndLine();
        } else if (second == 1) {
            return;
        } else if (second == 2) {
            std::uint8_t right = 0;
            std::uint8_t up = 0;
            if (!pixels.U8(right) || !pixels.U8(up))
                return;
            cursor.Move(right, up);
        } else {
            cursor.CheckRun(second);
            if (!putRun(cursor, pixels, Run{RunForm::Absolute, second, 0}))
                return;
        }
    }
}

// A run-length file gives a display-form grid.
std::shared_ptr<PixelGrid> ReadRunLengthPicture(const Headers& headers, const std::vector<TColor>& colorTable,
                                                ByteReader pixels, DisplayColorDepth displayDepth)
{
    const BitmapHeader& header = headers.header;
    PixelGrid::CheckSize(header.width, header.height, displayDepth.BitsPerPixel());
    std::shared_ptr<PixelGrid> grid =
        NewDisplayGrid(static_cast<std::int32_t>(header.width), static_cast<std::int32_t>(header.height), displayDepth);
    std::vector<std::uint32_t> palette;
    for (TColor entry : colorTable)
        palette.push_back(PixelGrid::SwapRedBlue(static_cast<std::uint32_t>(entry)));
    if (header.imageSize != 0)
        pixels = ByteReader(pixels.TakeUpTo(header.imageSize));
    RunCursor cursor(*grid, palette);
    const PutRun putRun = headers.encoding == Encoding::Rle8   ? PutRle8Run
                          : headers.encoding == Encoding::Rle4 ? PutRle4Run
                                                               : PutRle24Run;
    ReadRunLengthRows(cursor, pixels, putRun);
    return grid;
}

// Uncompressed and bit-field files give an own-form grid of the file's depth
// (2-bit files an 8-bit one).
std::shared_ptr<PixelGrid> ReadPlainPicture(const Headers& headers, std::vector<TColor> colorTable,
                                            const BitFields& masks, ByteReader pixels)
{
    const BitmapHeader& header = headers.header;
    const int depth = header.bitsPerPixel == 2 ? 8 : static_cast<int>(header.bitsPerPixel);
    const auto height = static_cast<std::int32_t>(header.height);
    auto grid = std::make_shared<PixelGrid>(static_cast<std::int32_t>(header.width), height, depth, GridForm::Own);
    if (depth <= 8)
        grid->SetColorTable(std::move(colorTable));
    if (headers.encoding == Encoding::BitFields)
        grid->SetBitFields(masks);
    const std::uint64_t fileImageSize = PixelGrid::RowBytesFor(header.width, static_cast<int>(header.bitsPerPixel))
                                        * static_cast<std::uint64_t>(height);
    const std::uint64_t announced = header.imageSize != 0 ? header.imageSize : fileImageSize;
    const std::span<const std::uint8_t> data = pixels.TakeUpTo(std::min(announced, fileImageSize));
    ReadPlainRows(*grid, header, ByteReader(data));
    if (depth <= 8)
        CheckIndices(*grid, header, data.size());
    return grid;
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

std::shared_ptr<PixelGrid> ReadBmp(std::span<const std::uint8_t> bytes, DisplayColorDepth displayDepth)
{
    ByteReader reader(bytes);
    const Headers headers = ReadHeaders(reader);
    const BitFields masks = ReadMasks(reader, headers);
    std::vector<TColor> colorTable = ReadColorTable(reader, headers);
    const ByteReader pixels = PixelData(reader, headers.pixelOffset);
    const BitmapHeader& header = headers.header;
    PixelGrid::CheckSize(header.width, header.height, std::max<int>(static_cast<int>(header.bitsPerPixel), 8));
    if (headers.encoding == Encoding::Rle8 || headers.encoding == Encoding::Rle4 || headers.encoding == Encoding::Rle24)
        return ReadRunLengthPicture(headers, colorTable, pixels, displayDepth);
    return ReadPlainPicture(headers, std::move(colorTable), masks, pixels);
}

#include "picture/detail/BmpWriter.h"

#include "picture/detail/BmpFormat.h"
#include "picture/detail/PixelGrid.h"

#include <cstring>
#include <iterator>

namespace {

using namespace BmpFormat;

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

} // namespace

void WriteBmp(const PixelGrid& grid, std::vector<std::uint8_t>& out)
{
    const int bits = grid.BitsPerPixel();
    const bool indexed = bits <= 8;
    const bool masked = !indexed && grid.HasBitFields() && (bits == 16 || bits == 32);
    const auto tableEntries = indexed ? static_cast<std::uint32_t>(grid.ColorTable().size()) : 0U;
    const std::uint32_t tableBytes = tableEntries * kInfoTableEntrySize;
    const std::uint32_t maskBytes = masked ? 12 : 0;
    const std::size_t rowBytes = grid.RowBytes();
    // Grids are limited far below 4 GiB, so every size fits its 32-bit field.
    const auto imageSize = static_cast<std::uint32_t>(grid.ByteSize());
    const std::uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + tableBytes + maskBytes;

    out.reserve(out.size() + pixelOffset + imageSize);
    out.insert(out.end(), std::begin(kSignature), std::end(kSignature));
    Put32(out, pixelOffset + imageSize);
    Put16(out, 0);
    Put16(out, 0);
    Put32(out, pixelOffset);

    Put32(out, kInfoHeaderSize);
    Put32(out, static_cast<std::uint32_t>(grid.Width()));
    Put32(out, static_cast<std::uint32_t>(grid.Height()));
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(bits));
    Put32(out, masked ? kBiBitFields : kBiRgb);
    Put32(out, imageSize);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, tableEntries);
    Put32(out, 0);

    for (std::uint32_t i = 0; i < tableEntries; ++i) {
        const TColor entry = grid.ColorTable()[i];
        out.push_back(GetBValue(entry));
        out.push_back(GetGValue(entry));
        out.push_back(GetRValue(entry));
        out.push_back(0);
    }
    if (masked) {
        Put32(out, grid.Fields().Red);
        Put32(out, grid.Fields().Green);
        Put32(out, grid.Fields().Blue);
    }

    // Bits of a row that belong to pixels; the rest of the row is zeroed.
    const std::uint64_t usedBits = static_cast<std::uint64_t>(grid.Width()) * static_cast<std::uint64_t>(bits);
    const auto fullBytes = static_cast<std::size_t>(usedBits / 8);
    const auto partialBits = static_cast<unsigned>(usedBits % 8);
    const bool clearFourthByte = grid.Layout() == PixelLayout::Bgrx32;

    const std::size_t start = out.size();
    out.resize(start + imageSize, 0);
    for (std::int32_t y = grid.Height() - 1, n = 0; y >= 0; --y, ++n) {
        std::uint8_t* target = out.data() + start + static_cast<std::size_t>(n) * rowBytes;
        const std::uint8_t* row = grid.Row(y);
        std::memcpy(target, row, fullBytes);
        if (partialBits != 0)
            target[fullBytes] = static_cast<std::uint8_t>(row[fullBytes] & (0xFF << (8 - partialBits)));
        if (clearFourthByte) {
            for (std::size_t x = 3; x < fullBytes; x += 4)
                target[x] = 0;
        }
    }
}

#pragma once

#include "picture/TColor.h"
#include "picture/detail/PixelBuffer.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Display form: made by sizing a Bitmap, at the display colour depth.
// Own form: the depth the pixels came with (a BMP file's, a JPEG decoding's).
enum class GridForm { Display, Own };

// Red, green and blue masks of a bit-field BMP file (16 or 32 bits per pixel).
struct BitFields {
    std::uint32_t Red = 0;
    std::uint32_t Green = 0;
    std::uint32_t Blue = 0;
    bool operator==(const BitFields&) const = default;
};

// How the bytes of one pixel are laid out, chosen from depth and masks so that
// the per-pixel paths need one switch.
enum class PixelLayout { Indexed1, Indexed4, Indexed8, Rgb555, Masked16, Bgr24, Bgrx32, Masked32 };

// The pixels of a Bitmap: rows stored top row first, each RowBytes() long and
// laid out like a BMP file's rows (blue, green, red byte order; indices with
// the leftmost pixel in the high bits). Several Bitmaps may share one grid;
// TBitmap copies it before a change when it is shared.
class PixelGrid {
public:
    // width and height must be positive; EOutOfResources when the grid would
    // exceed kMaxGridBytes. The pixels start zeroed (colour table index 0, black).
    PixelGrid(std::int32_t width, std::int32_t height, int bitsPerPixel, GridForm form);
    PixelGrid(const PixelGrid&) = delete;
    PixelGrid& operator=(const PixelGrid&) = delete;

    // Bytes of one row: the bits rounded up to whole 32-bit words.
    static std::uint64_t RowBytesFor(std::int64_t width, int bitsPerPixel);
    // EOutOfResources unless a grid of this size may be made.
    static void CheckSize(std::int64_t width, std::int64_t height, int bitsPerPixel);

    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    int BitsPerPixel() const { return bitsPerPixel_; }
    std::size_t RowBytes() const { return rowBytes_; }
    GridForm Form() const { return form_; }
    PixelLayout Layout() const { return layout_; }

    std::uint8_t* Row(std::int32_t y) { return buffer_.Data() + static_cast<std::size_t>(y) * rowBytes_; }
    const std::uint8_t* Row(std::int32_t y) const { return buffer_.Data() + static_cast<std::size_t>(y) * rowBytes_; }
    std::uint8_t* Data() { return buffer_.Data(); }
    const std::uint8_t* Data() const { return buffer_.Data(); }
    std::size_t ByteSize() const { return rowBytes_ * static_cast<std::size_t>(height_); }

    // 0x00BBGGRR entries, at most 2^bits of them; indices past the end read as
    // black.
    const std::vector<TColor>& ColorTable() const { return colorTable_; }
    void SetColorTable(std::vector<TColor> table);
    // The colour table as 0x00RRGGBB words, 256 entries, black past the table.
    const std::array<std::uint32_t, 256>& PaletteRgb() const { return paletteRgb_; }
    // Only for 16 and 32 bits; the masks the file gave.
    void SetBitFields(const BitFields& fields);
    bool HasBitFields() const { return hasBitFields_; }
    const BitFields& Fields() const { return fields_; }

    // No bounds checks: callers clip first.
    TColor GetColor(std::int32_t x, std::int32_t y) const { return static_cast<TColor>(SwapRedBlue(GetRgb32(x, y))); }
    void SetColor(std::int32_t x, std::int32_t y, TColor color) { SetRgb32(x, y, SwapRedBlue(color)); }
    // The same as 0x00RRGGBB words, the byte order of a 32-bit row.
    std::uint32_t GetRgb32(std::int32_t x, std::int32_t y) const;
    void SetRgb32(std::int32_t x, std::int32_t y, std::uint32_t rgb);
    // Row y as 0x00RRGGBB words, Width() of them.
    void ReadRowRgb32(std::int32_t y, std::uint32_t* out) const;

    // Sets the pixels of [left, right) x [top, bottom), already clipped.
    void Fill(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom, TColor color);
    void FillWhite() { Fill(0, 0, width_, height_, clWhite); }

    std::shared_ptr<PixelGrid> Clone() const;

    static constexpr std::uint32_t SwapRedBlue(std::uint32_t value)
    {
        return ((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF);
    }
    static constexpr TColor SwapRedBlue(TColor color)
    {
        return static_cast<TColor>(SwapRedBlue(static_cast<std::uint32_t>(color)));
    }

private:
    struct Channel {
        std::uint32_t mask = 0;
        int shift = 0;
        int bits = 0;
    };
    void ChooseLayout();
    std::uint32_t DecodeMasked(std::uint32_t word) const;
    std::uint32_t EncodeMasked(std::uint32_t rgb) const;
    std::uint8_t NearestIndex(std::uint32_t rgb) const;

    std::int32_t width_;
    std::int32_t height_;
    int bitsPerPixel_;
    std::size_t rowBytes_;
    GridForm form_;
    PixelLayout layout_ = PixelLayout::Bgrx32;
    PixelBuffer buffer_;
    std::vector<TColor> colorTable_;
    // colorTable_ as 0x00RRGGBB words, 256 entries, black past the table.
    std::array<std::uint32_t, 256> paletteRgb_{};
    bool hasBitFields_ = false;
    BitFields fields_;
    std::array<Channel, 3> channels_{}; // red, green, blue
    // Last colour looked up in the table, so that runs of one colour are cheap.
    mutable std::uint32_t lastNearestRgb_ = 0xFFFFFFFF;
    mutable std::uint8_t lastNearestIndex_ = 0;
};

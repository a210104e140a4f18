#pragma once

#include "picture/DisplayColorDepth.h"
#include "picture/TCanvas.h"
#include "picture/TGraphic.h"
#include "picture/detail/BitmapPixels.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

class PixelGrid;

// A grid of pixels with a width, a height and a depth (1, 4, 8, 16, 24 or 32
// bits per pixel, with a colour table at 8 bits or fewer), and its Canvas.
//
// The grid has one of two forms: display form (the Bitmap's display colour
// depth; every surface the tool makes by sizing a Bitmap, and the pixels of
// run-length BMP files) or own form (the depth the pixels came with: a BMP
// file's, or 24/8 bits from JPEG decoding).
//
// Assigning one Bitmap to another shares the grid; the first change to either
// side copies it (copy on write), so a change never shows in the other.
class TBitmap final : public TGraphic {
public:
    // 0 by 0, no pixels.
    explicit TBitmap(DisplayColorDepth displayDepth = {});
    ~TBitmap() override;

    // Of the same display colour depth.
    std::unique_ptr<TGraphic> NewEmpty() const override;
    // From a TBitmap: shares its pixels (this Bitmap's display colour depth
    // stays). From a TJPEGImage: decodes it once and shares the decoded
    // pixels (AsBitmap). From nullptr or an empty graphic of another kind:
    // 0 by 0, no pixels.
    void Assign(const TGraphic* source) override;
    const TBitmap* AsBitmap() const override { return this; }
    void DrawRegion(TCanvas& canvas, const TRect& rect, const TRect& region) override;
    bool Empty() const override; // true when it has no pixels
    std::int32_t Width() const override { return width_; }
    std::int32_t Height() const override { return height_; }
    // Resizing keeps the top-left corner of the old pixels and fills the rest
    // white; a zero side leaves the Bitmap without pixels. Setting the current
    // value does nothing. EOutOfResources for a negative or too large size,
    // the pixels then stay as they were.
    void SetWidth(std::int32_t width) override;
    void SetHeight(std::int32_t height) override;
    void SetSize(std::int32_t width, std::int32_t height);
    // Reads a BMP file (EInvalidGraphic, EReadError, EOutOfResources).
    void LoadFromStream(std::span<const std::uint8_t> bytes) override;
    // Writes a BMP file at the grid's depth; nothing for a Bitmap without pixels.
    void SaveToStream(std::vector<std::uint8_t>& out) const override;

    // The same Canvas for the Bitmap's whole life.
    TCanvas& Canvas() { return canvas_; }

    DisplayColorDepth DisplayDepth() const { return displayDepth_; }
    // Depth of the grid (own or display form); 0 without pixels.
    int BitsPerPixel() const;
    bool IsDisplayForm() const;

    // Direct row access for conversions and fast paths. Rows are stored top
    // row first, RowBytes() apart, in the layout of a BMP file's rows:
    // 32 bits blue, green, red, 0; 24 bits blue, green, red; 16 bits a
    // little-endian word 0RRRRRGGGGGBBBBB (or the masks of a bit-field file);
    // 8, 4 and 1 bits colour table indices, leftmost pixel in the high bits.
    // `row` must be in [0, Height()) and the Bitmap must have pixels.
    std::size_t RowBytes() const;
    const std::uint8_t* ScanLine(std::int32_t row) const;
    // Unshares the grid first. Call Modified() after writing through it.
    std::uint8_t* MutableScanLine(std::int32_t row);
    // Reports a change made through MutableScanLine.
    void Modified();
    // The colour table (0x00BBGGRR entries); empty above 8 bits per pixel.
    std::span<const TColor> ColorTable() const;
    // Row `row` converted to 0x00RRGGBB words (the byte order of a 32-bit
    // row: blue, green, red, 0), Width() of them written to `out`.
    void ReadRowRGB32(std::int32_t row, std::uint32_t* out) const;

    // EOutOfResources unless a Bitmap of this size can be made at `depth`
    // (the largest grid the component makes), as SetSize would raise it;
    // for refusing a size before any work that needs it begins.
    static void CheckSize(std::int32_t width, std::int32_t height, DisplayColorDepth depth);

private:
    // The component's own code reaches the grid through this (detail/).
    friend struct BitmapAccess;

    void Resize(std::int32_t width, std::int32_t height);
    void Clear();
    // Takes `grid` (null: no pixels) and its size.
    void AdoptGrid(std::shared_ptr<PixelGrid> grid);

    DisplayColorDepth displayDepth_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    BitmapPixels pixels_;
    TCanvas canvas_;
};

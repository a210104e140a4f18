#pragma once

#include "picture/TColor.h"

#include <cstdint>

class BitmapPixels;
class TBitmap;
class TGraphic;

// The drawing surface of a Bitmap, in pixel coordinates with (0, 0) the
// top-left pixel. Its brush is solid white and its copy mode a plain source
// copy; neither ever changes. Every operation is cut off at the edges of the
// surface and reports one change to the Bitmap's owner.
//
// Scaling is nearest neighbour everywhere, with one index rule: destination
// pixel d of a span of width D drawn from a source span of width S starting at
// s0 takes source pixel s0 + d * S / D (64-bit, truncated). The same rule is
// used for rows.
class TCanvas {
public:
    // The Canvas of `owner`, drawing on its pixels; made by the Bitmap.
    TCanvas(TBitmap& owner, BitmapPixels& pixels);
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TBitmap& Bitmap() const { return owner_; }

    // Draws the whole graphic scaled to fill `rect`; nothing for nullptr or an
    // empty rectangle.
    void StretchDraw(const TRect& rect, TGraphic* graphic);
    // Draws `region` of the graphic scaled to fill `rect`, by the same rule.
    void StretchDrawRegion(const TRect& rect, TGraphic* graphic, const TRect& region);
    // Copies `sourceRect` of `source` into `dest`, scaling by the rule above
    // when the sizes differ. Destination pixels whose source pixel lies outside
    // the source surface keep their colour.
    void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect);
    // Sets every pixel of `rect` to the brush colour, white.
    void FillRect(const TRect& rect);
    // The colour of a pixel as 0x00BBGGRR; clNone (0xFFFFFFFF) outside.
    TColor GetPixel(std::int32_t x, std::int32_t y) const;
    // Sets a pixel, converted to the surface's depth; outside: ignored.
    void SetPixel(std::int32_t x, std::int32_t y, TColor color);

    TColor BrushColor() const { return clWhite; }

private:
    TBitmap& owner_;
    BitmapPixels& pixels_;
};

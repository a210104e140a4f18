// libFuzzer target: any bytes loaded as a BMP file must either give a Bitmap
// or fail with the picture component's error; a loaded Bitmap is written back,
// read pixel by pixel and drawn scaled, so that a wrong grid shows up too.
#include "picture/PictureErrors.h"
#include "picture/TBitmap.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TBitmap bitmap;
    try {
        bitmap.LoadFromStream(std::span<const std::uint8_t>(data, size));
    } catch (const EPictureError&) {
        return 0;
    }
    // A tiny file may claim a grid of up to 256 MiB; walking all of it every
    // run would only slow the fuzzer down, so large grids are sampled.
    if (static_cast<std::uint64_t>(bitmap.RowBytes()) * static_cast<std::uint64_t>(bitmap.Height()) <= (1U << 22)) {
        std::vector<std::uint8_t> written;
        bitmap.SaveToStream(written);
    }
    const std::int32_t stepX = bitmap.Width() / 64 + 1;
    const std::int32_t stepY = bitmap.Height() / 64 + 1;
    TColor sum = 0;
    for (std::int32_t y = 0; y < bitmap.Height(); y += stepY)
        for (std::int32_t x = 0; x < bitmap.Width(); x += stepX)
            sum ^= bitmap.Canvas().GetPixel(x, y);
    TBitmap surface;
    surface.SetSize(17, 9);
    surface.Canvas().StretchDraw(TRect{-3, -2, 20, 12}, &bitmap);
    return sum == 0x7FFFFFFF ? 1 : 0;
}

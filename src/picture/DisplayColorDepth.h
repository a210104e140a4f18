#pragma once

#include <cstdint>

// The bits per pixel of the screen the tool draws for. It gives the depth of
// every new drawing surface ("display form") and so the bit count of every
// BMP file the tool writes; 8 or less also makes JPEG decoding quantise colour
// files to 236 colours. Whatever makes surfaces is given it: the program takes
// it from the screen at start-up, everything else (the command line, the
// benchmarks) draws at the default of 32 bits per pixel, and tests choose it.
class DisplayColorDepth {
public:
    constexpr DisplayColorDepth() = default;
    // Accepts 8, 16, 24 and 32; anything else throws std::invalid_argument.
    explicit DisplayColorDepth(int bitsPerPixel);

    constexpr int BitsPerPixel() const { return bitsPerPixel_; }
    // A palette screen: its surfaces hold indices into the display palette, a
    // 6 x 6 x 6 colour cube and 40 greys.
    constexpr bool HasPalette() const { return bitsPerPixel_ <= 8; }

    friend constexpr bool operator==(DisplayColorDepth, DisplayColorDepth) = default;

private:
    int bitsPerPixel_ = 32;
};

// The largest pixel grid the component makes: 256 MiB, room for a 64-megapixel
// photo at 32 bits per pixel. Larger sizes (usually a damaged file's header)
// raise EOutOfResources before anything is allocated.
constexpr std::uint64_t kMaxGridBytes = std::uint64_t{1} << 28;

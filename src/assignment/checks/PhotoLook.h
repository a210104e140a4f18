#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

class PhotoPixels;

// What a photo looks like, small enough to hold for thousands of photos: for
// telling the same picture again under other bytes (saved again, at another
// size or quality), as a student's photo copied by mistake is.
struct PhotoLook {
    static constexpr int kSide = 32;
    static constexpr std::size_t kCells = std::size_t{kSide} * kSide;
    // The upright picture's grey levels, each the mean of a 1/32 by 1/32
    // part of it, rows from the top.
    std::array<std::uint8_t, kCells> grey{};
    // One bit for each of the 8 x 8 lowest frequencies of the grey levels'
    // cosine transform: set when above their median. Kept by any copy that
    // keeps the picture's shapes, whatever its size or compression.
    std::uint64_t hash = 0;
    // Almost without contrast (a blank picture): its low frequencies are
    // mere noise, its grey levels alone tell it.
    bool flat = false;
};

// From the picture component's decoding (EUnreadablePhoto when it fails).
PhotoLook LookOf(PhotoPixels& photo);

// Whether two looks are of one picture: their low frequencies agree and so
// do their grey levels. Two photos of different people before the same
// backdrop share the backdrop but not the face's grey levels.
bool SamePicture(const PhotoLook& a, const PhotoLook& b);

// How far apart two looks are, for SamePicture and for measuring it: the
// hashes' differing bits, and the mean difference of the grey levels.
struct LookDistance {
    int hashBits = 0;
    double grey = 0;
};
LookDistance DistanceOf(const PhotoLook& a, const PhotoLook& b);

#pragma once

#include "faces/PortraitExamination.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

// A face crop that looks like itself for the face recogniser: blocks of grey
// levels, one pattern per person; each photo of a person adds a little noise
// of its own.
inline std::vector<std::uint8_t> MadeFaceCrop(int person, int photo)
{
    std::mt19937 pattern(static_cast<unsigned>(1000 + person));
    std::uniform_int_distribution<int> level(0, 255);
    std::vector<int> blocks(100);
    for (int& block : blocks)
        block = level(pattern);
    std::mt19937 noise(static_cast<unsigned>(7919 * person + photo));
    std::uniform_int_distribution<int> jitter(-12, 12);
    std::vector<std::uint8_t> crop(kFaceCropSide * kFaceCropSide);
    for (int y = 0; y < kFaceCropSide; ++y) {
        for (int x = 0; x < kFaceCropSide; ++x)
            crop[y * kFaceCropSide + x] =
                static_cast<std::uint8_t>(std::clamp(blocks[(y / 10) * 10 + x / 10] + jitter(noise), 0, 255));
    }
    return crop;
}

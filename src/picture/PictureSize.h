#pragma once

#include <cstdint>

// The width and height of a picture, in pixels.
struct PictureSize {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool operator==(const PictureSize&) const = default;
};

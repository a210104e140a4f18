#include "picture/CentredCrop.h"

#include <algorithm>
#include <cstdint>

TRect CentredCrop(PictureSize picture, PictureSize target)
{
    // a * b / c rounded to the nearest whole number, for positive values.
    const auto mulDivRounded = [](std::int64_t a, std::int64_t b, std::int64_t c) { return (a * b + c / 2) / c; };
    std::int64_t width = picture.Width;
    std::int64_t height = picture.Height;
    // Compare the proportions exactly, then size the cut side.
    if (std::int64_t{picture.Width} * target.Height > std::int64_t{picture.Height} * target.Width)
        width = std::clamp<std::int64_t>(mulDivRounded(picture.Height, target.Width, target.Height), 1, picture.Width);
    else
        height = std::clamp<std::int64_t>(mulDivRounded(picture.Width, target.Height, target.Width), 1, picture.Height);
    const auto left = static_cast<std::int32_t>((picture.Width - width) / 2);
    const auto top = static_cast<std::int32_t>((picture.Height - height) / 2);
    return {left, top, static_cast<std::int32_t>(left + width), static_cast<std::int32_t>(top + height)};
}

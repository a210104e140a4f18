#include "faces/DescriptorCrop.h"

#include "picture/TBitmap.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

constexpr double kSquareDrop = 0.19;

} // namespace

TRect DescriptorSquare(const TRect& face)
{
    const std::int32_t side = face.Width();
    const auto top = static_cast<std::int32_t>(face.Top + std::lround(kSquareDrop * face.Height()));
    return TRect{face.Left, top, face.Left + side, top + side};
}

DescriptorCrop CropForDescriptor(const TBitmap& picture, const TRect& face)
{
    const TRect square = DescriptorSquare(face);
    const std::int32_t left = std::max(square.Left, 0);
    const std::int32_t top = std::max(square.Top, 0);
    const std::int32_t right = std::min(square.Right, picture.Width());
    const std::int32_t bottom = std::min(square.Bottom, picture.Height());
    if (square.Width() <= 0 || left >= right || top >= bottom)
        throw std::invalid_argument("face box outside the picture");

    cv::Mat pixels = cv::Mat::zeros(square.Height(), square.Width(), CV_8UC3);
    std::vector<std::uint32_t> row(static_cast<std::size_t>(picture.Width()));
    for (std::int32_t y = top; y < bottom; ++y) {
        picture.ReadRowRGB32(y, row.data());
        auto* out = pixels.ptr<std::uint8_t>(y - square.Top) + 3 * static_cast<std::ptrdiff_t>(left - square.Left);
        for (std::int32_t x = left; x < right; ++x) {
            const std::uint32_t p = row[static_cast<std::size_t>(x)];
            *out++ = static_cast<std::uint8_t>(p >> 16);
            *out++ = static_cast<std::uint8_t>(p >> 8);
            *out++ = static_cast<std::uint8_t>(p);
        }
    }
    cv::Mat resized;
    cv::resize(pixels, resized, cv::Size(kDescriptorCropSide, kDescriptorCropSide), 0, 0, cv::INTER_AREA);
    DescriptorCrop crop;
    crop.rgb.assign(resized.datastart, resized.dataend);
    return crop;
}

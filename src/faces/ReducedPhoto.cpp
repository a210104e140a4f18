#include "faces/ReducedPhoto.h"

#include "picture/ExifCaptureTime.h"
#include "picture/FileBytes.h"
#include "picture/PictureByContent.h"
#include "picture/TBitmap.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

ReducedPhoto ReadReducedPhoto(const std::filesystem::path& file, std::int32_t shortSide)
{
    auto bytes = std::make_shared<std::vector<std::uint8_t>>();
    ReadFileBytes(file, *bytes);
    ReducedPhoto photo;
    const std::unique_ptr<TGraphic> graphic = LoadPictureByContent(bytes);
    // Only a JPEG file holds EXIF data; for a bitmap there is no time.
    photo.captureTime = ExifCaptureTime(*bytes);
    photo.upright = {graphic->Width(), graphic->Height()};
    if (photo.upright.Width <= 0 || photo.upright.Height <= 0)
        throw std::runtime_error("a picture without pixels");
    const double scale =
        std::min(1.0, static_cast<double>(shortSide) / std::min(photo.upright.Width, photo.upright.Height));
    const std::int32_t width = std::max(1, static_cast<std::int32_t>(photo.upright.Width * scale));
    const std::int32_t height = std::max(1, static_cast<std::int32_t>(photo.upright.Height * scale));
    photo.pixels = std::make_unique<TBitmap>();
    photo.pixels->SetSize(width, height);
    photo.pixels->Canvas().StretchDraw(TRect{0, 0, width, height}, graphic.get());
    return photo;
}

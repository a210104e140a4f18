#include "faces/ReducedPhoto.h"

#include "picture/ExifCaptureTime.h"
#include "picture/FileBytes.h"
#include "picture/TBitmap.h"
#include "picture/TJPEGImage.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

ReducedPhoto ReadReducedPhoto(const std::filesystem::path& file, std::int32_t shortSide)
{
    auto bytes = std::make_shared<std::vector<std::uint8_t>>();
    ReadFileBytes(file, *bytes);
    ReducedPhoto photo;
    std::unique_ptr<TGraphic> graphic;
    if (bytes->size() >= 2 && (*bytes)[0] == 0xFF && (*bytes)[1] == 0xD8) {
        photo.captureTime = ExifCaptureTime(*bytes);
        auto jpeg = std::make_unique<TJPEGImage>();
        jpeg->LoadFromBytes(bytes);
        graphic = std::move(jpeg);
    } else if (bytes->size() >= 2 && (*bytes)[0] == 'B' && (*bytes)[1] == 'M') {
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->LoadFromStream(*bytes);
        graphic = std::move(bitmap);
    } else {
        throw std::runtime_error("not a JPEG or BMP picture");
    }
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

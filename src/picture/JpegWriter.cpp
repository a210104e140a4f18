#include "picture/JpegWriter.h"

#include "picture/FileBytes.h"
#include "picture/PictureErrors.h"
#include "picture/TBitmap.h"
#include "picture/detail/BitmapAccess.h"
#include "picture/detail/JpegEncoder.h"

#include <stdexcept>
#include <utility>

std::vector<std::uint8_t> EncodeJpeg(const TBitmap& picture, const JpegSettings& settings)
{
    // The extra reference keeps the pixels as they are while they are read.
    const std::shared_ptr<PixelGrid> grid = BitmapAccess::Grid(picture);
    if (!grid)
        throw EInvalidGraphic(kNoPixelsToWriteMessage);
    return CompressJpeg(*grid, settings);
}

JpegWithinLimit EncodeJpegWithin(const TBitmap& picture, std::size_t maxBytes, int lowestQuality,
                                 const JpegSettings& settings)
{
    if (lowestQuality < 1 || lowestQuality > settings.Quality)
        throw std::invalid_argument("the lowest JPEG quality is 1 to the highest one");
    JpegSettings trial = settings;
    auto encodeAt = [&](int quality) {
        trial.Quality = quality;
        return EncodeJpeg(picture, trial);
    };
    JpegWithinLimit best{encodeAt(settings.Quality), settings.Quality};
    if (best.Bytes.size() <= maxBytes)
        return best;
    best = {encodeAt(lowestQuality), lowestQuality};
    if (best.Bytes.size() > maxBytes)
        throw EJpegTooLarge(maxBytes, lowestQuality, best.Bytes.size());
    // `best.Quality` fits and `tooHigh` does not; halve the qualities between.
    int tooHigh = settings.Quality;
    while (tooHigh - best.Quality > 1) {
        const int middle = best.Quality + (tooHigh - best.Quality) / 2;
        std::vector<std::uint8_t> bytes = encodeAt(middle);
        if (bytes.size() <= maxBytes)
            best = {std::move(bytes), middle};
        else
            tooHigh = middle;
    }
    return best;
}

void SavePhotoAsJpeg(const TBitmap& picture, const std::filesystem::path& file,
                     const std::optional<std::string>& captureTime)
{
    JpegSettings settings;
    settings.CaptureTime = captureTime;
    WriteFileBytes(file, EncodeJpeg(picture, settings));
}

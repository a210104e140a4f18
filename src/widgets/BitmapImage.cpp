#include "widgets/BitmapImage.h"

#include "picture/TBitmap.h"

#include <cstdint>

QImage ToQImage(TBitmap& bitmap)
{
    if (bitmap.Empty())
        return {};
    QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_RGB32);
    if (image.isNull())
        return {};
    for (std::int32_t y = 0; y < bitmap.Height(); ++y) {
        auto* line = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        bitmap.ReadRowRGB32(y, line);
        // Format_RGB32 wants the unused top byte at 0xFF.
        for (std::int32_t x = 0; x < bitmap.Width(); ++x)
            line[x] |= 0xFF000000U;
    }
    return image;
}

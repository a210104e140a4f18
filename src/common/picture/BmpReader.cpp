#include "common/picture/BmpReader.h"

#include "common/picture/PictureErrors.h"
#include "common/picture/PixelGrid.h"

std::shared_ptr<PixelGrid> ReadBmp(std::span<const std::uint8_t>)
{
    throw EInvalidGraphic(kBitmapNotValidMessage);
}

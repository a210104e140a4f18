#include "common/picture/PixelBuffer.h"

#include "common/picture/PictureErrors.h"

PixelBuffer::PixelBuffer(std::size_t size)
{
    if (size == 0)
        return;
    data_.reset(static_cast<std::uint8_t*>(std::calloc(size, 1)));
    if (!data_)
        throw EOutOfResources(kOutOfResourcesMessage);
}

#include "picture/PictureErrors.h"

EJPEG::EJPEG(int messageCode) : EPictureError("JPEG error #" + std::to_string(messageCode)), messageCode_(messageCode)
{
}

EJpegTooLarge::EJpegTooLarge(std::size_t maxBytes, int lowestQuality, std::size_t bytesAtLowest)
    : EPictureError("The JPEG image takes " + std::to_string(bytesAtLowest) + " bytes at quality "
                    + std::to_string(lowestQuality) + ", more than " + std::to_string(maxBytes)),
      maxBytes_(maxBytes),
      lowestQuality_(lowestQuality),
      bytesAtLowest_(bytesAtLowest)
{
}

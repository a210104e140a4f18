#include "picture/PictureErrors.h"

EJPEG::EJPEG(int messageCode) : EPictureError("JPEG error #" + std::to_string(messageCode)), messageCode_(messageCode)
{
}

#include "photoday/PhotoFiles.h"

#include "picture/TBitmap.h"

#include <cstdint>
#include <vector>

namespace {

QByteArray BitmapFile(const TBitmap& picture)
{
    std::vector<std::uint8_t> bytes;
    picture.SaveToStream(bytes);
    return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

} // namespace

// BMP data under the .jpg names, as the capture window writes, until the
// picture component writes JPEG files.
QByteArray FramedPhotoFile(const TBitmap& photo)
{
    return BitmapFile(photo);
}

QByteArray OriginalFile(const TBitmap& frame, const QDateTime&)
{
    return BitmapFile(frame);
}

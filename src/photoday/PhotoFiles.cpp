#include "photoday/PhotoFiles.h"

#include "picture/JpegWriter.h"
#include "picture/TBitmap.h"

#include <cstdint>
#include <vector>

namespace {

QByteArray Bytes(const std::vector<std::uint8_t>& file)
{
    return {reinterpret_cast<const char*>(file.data()), static_cast<qsizetype>(file.size())};
}

} // namespace

// JPEG at the quality the tool writes every photo at; the day writes the
// bytes itself, through its folder, so that no link leads them elsewhere.
QByteArray FramedPhotoFile(const TBitmap& photo)
{
    return Bytes(EncodeJpeg(photo));
}

// The camera's clock as EXIF keeps it, without a time zone, as cameras do:
// the main job's checks read it back from the photos of a folder.
QByteArray OriginalFile(const TBitmap& frame, const QDateTime& taken)
{
    JpegSettings settings;
    settings.CaptureTime = taken.toLocalTime().toString(QStringLiteral("yyyy:MM:dd HH:mm:ss")).toStdString();
    return Bytes(EncodeJpeg(frame, settings));
}

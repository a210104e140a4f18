#pragma once

#include <QByteArray>
#include <QDateTime>

class TBitmap;

// The bytes of the two files the day keeps of a student, both JPEG at
// quality 90: the framed photo as the web application shows it, and the
// camera's whole frame with the time it was taken (EXIF DateTimeOriginal).
// The picture component's errors (EJPEG) when a picture cannot be encoded.
QByteArray FramedPhotoFile(const TBitmap& photo);
QByteArray OriginalFile(const TBitmap& frame, const QDateTime& taken);

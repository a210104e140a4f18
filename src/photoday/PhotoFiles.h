#pragma once

#include <QByteArray>
#include <QDateTime>

class TBitmap;

// The bytes of the two files the day keeps of a student: the framed photo
// as the web application shows it, and the camera's whole frame with the
// time it was taken.
QByteArray FramedPhotoFile(const TBitmap& photo);
QByteArray OriginalFile(const TBitmap& frame, const QDateTime& taken);

#pragma once

#include <QImage>

class TBitmap;

// A QImage::Format_RGB32 copy of the Bitmap's pixels, for painting it on
// screen; a null QImage for a Bitmap without pixels.
QImage ToQImage(TBitmap& bitmap);

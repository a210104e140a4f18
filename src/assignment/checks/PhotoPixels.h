#pragma once

#include "picture/PictureByContent.h"
#include "picture/PictureSize.h"

#include <QString>

#include <memory>
#include <stdexcept>

class TBitmap;
class TGraphic;

// A photo file that the picture component cannot read. The message (Chinese,
// for the user) says why.
class EUnreadablePhoto : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A photo file as the picture component reads it: the same decoding that
// every window and the resize use, so that what a plan shows of a photo is
// what the site will show. The kind is told by the file's first bytes (a
// browser shows a BMP stored under a .jpg name), and the picture is upright
// by its EXIF orientation. Safe to use from any thread, one object per thread.
class PhotoPixels {
public:
    // Reads the whole regular file and its headers. EUnreadablePhoto when it
    // is missing, no regular file, or not a JPEG or BMP picture.
    explicit PhotoPixels(const QString& path);
    ~PhotoPixels();
    PhotoPixels(const PhotoPixels&) = delete;
    PhotoPixels& operator=(const PhotoPixels&) = delete;

    // Upright.
    PictureSize Size() const;
    // The whole upright picture drawn into a new Bitmap of `size` by the
    // component's nearest-neighbour rule. A JPEG drawn smaller than itself
    // decodes only the pixels it samples. EUnreadablePhoto when the pixels
    // cannot be decoded.
    std::unique_ptr<TBitmap> Sample(PictureSize size);

private:
    PictureKind kind_ = PictureKind::Jpeg;
    std::unique_ptr<TGraphic> graphic_;
};

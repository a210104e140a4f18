#pragma once

#include "picture/PictureSize.h"
#include "picture/TColor.h"

#include <memory>

class TBitmap;
class TGraphic;

// Shrink on load. libjpeg decodes a JPEG picture at n/8 of its size (n from 1
// to 8) straight from the coefficients of its 8 by 8 blocks, which costs a
// fraction of a full decoding and averages each block as it goes; a picture
// that is only wanted small is decoded that way and then averaged down
// (SmoothDraw.h). Sizes and coordinates are the upright picture's (EXIF
// orientation applied).

// The smallest n for which libjpeg's decoding at n/8 of `full`, of
// ceil(width * n / 8) by ceil(height * n / 8) pixels, is at least `atLeast`
// both ways; 8 (full size) when no smaller one is.
int EighthsToCover(PictureSize full, PictureSize atLeast);

// The smallest n for which a region of `region` pixels, shrunk to n/8, keeps
// at least twice `target` both ways (region * n / 8 >= 2 * target), so that
// averaging down to `target` still has two pixels or more under every output
// pixel; 8 when no smaller one does.
int EighthsToSampleSmoothly(PictureSize region, PictureSize target);

// A picture's pixels at a reduced size.
struct ReducedPicture {
    // Upright; null for a picture without pixels.
    std::shared_ptr<const TBitmap> Pixels;
    // The upright size of the picture they were made from.
    PictureSize Full;
    // The scale, in eighths: 8 for the picture's own pixels.
    int Eighths = 8;
    // A pixel edge x of the picture (0 to Full.Width) lies at OffsetX + x *
    // Eighths / 8 in Pixels, and likewise down. The offsets are not 0 only
    // where the picture's stored right or bottom edge, which ends inside a
    // reduced pixel, is shown at the left or top (a mirrored or turned photo).
    double OffsetX = 0;
    double OffsetY = 0;

    // Where picture coordinates lie in Pixels.
    double X(double x) const { return OffsetX + x * Eighths / 8.0; }
    double Y(double y) const { return OffsetY + y * Eighths / 8.0; }
};

// A JPEG image decoded at `eighths` eighths of its size (decoded anew on every
// call, unless it is already fully decoded: then its full decoding, at 8);
// any other picture with pixels as it is (a Bitmap shares its pixels), at 8.
// EJPEG when the data does not decode.
ReducedPicture ReducePicture(const TGraphic& picture, int eighths);

// The same for drawing `region` (in the upright picture's coordinates) of
// the picture smoothly: a JPEG image decoded at fewer than 8 eighths is
// decoded only in the rows and columns of the region and a pixel around it,
// which is all that averaging over the region reads (the offsets then say
// where the region lies in Pixels). Drawn through SmoothDrawRegion, it gives
// exactly what the whole reduced picture gives.
ReducedPicture ReducePictureForRegion(const TGraphic& picture, int eighths, const TRect& region);

// The picture decoded at the smallest scale that still gives at least
// `atLeast` both ways (EighthsToCover): for looking at a photo (finding a
// face, comparing two photos) without decoding every pixel of it.
ReducedPicture DecodeAtLeast(const TGraphic& picture, PictureSize atLeast);

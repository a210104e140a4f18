#pragma once

#include "common/picture/TColor.h"
#include "common/picture/UprightPicture.h"

// Where to cut a photo of `target`'s proportions out of a picture. Both give
// a region inside the picture (given a picture with pixels and a target with
// positive sides) that is then scaled to the target by the picture
// component's index rule.

// The largest centred region of the target's proportions: the picture's full
// height and round(height * targetWidth / targetHeight) columns, or its full
// width and round(width * targetHeight / targetWidth) rows, whichever fits;
// centred with the odd pixel, if any, left over at the right or bottom.
TRect CentredCrop(PictureSize picture, PictureSize target);

// A region of the target's proportions framing a detected face box (as the
// face detector gives it): twice the box's height, the box centred across,
// the eyes (two fifths down the box) at 45 % of the region's height, a little
// above its middle. Where the photo does not allow that, the region shrinks
// to the largest that fits and moves inside the picture.
TRect FaceRegion(PictureSize picture, PictureSize target, const TRect& face);

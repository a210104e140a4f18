#pragma once

#include "picture/PictureSize.h"
#include "picture/TColor.h"

// Where to cut a photo of `target`'s proportions out of a picture (given a
// picture with pixels and a target with positive sides): the largest
// centred region of the target's proportions, the picture's full height and
// round(height * targetWidth / targetHeight) columns, or its full width and
// round(width * targetHeight / targetWidth) rows, whichever fits; centred
// with the odd pixel, if any, left over at the right or bottom. The region
// is then scaled to the target by the picture component's index rule.
TRect CentredCrop(PictureSize picture, PictureSize target);

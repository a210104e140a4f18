#pragma once

#include "picture/PictureSize.h"
#include "picture/TColor.h"

// A region of the target's proportions framing a detected face box (as the
// face detector gives it): twice the box's height, the box centred across,
// the eyes (two fifths down the box) at 45 % of the region's height, a little
// above its middle. Where the photo does not allow that, the region shrinks
// to the largest that fits and moves inside the picture.
TRect FaceRegion(PictureSize picture, PictureSize target, const TRect& face);

#pragma once

#include "picture/PictureSize.h"
#include "picture/ReducedPicture.h"
#include "picture/TColor.h"

#include <cstdint>

// Where a face sits in a region framed around it, as fractions of the
// region's height: the region is `regionPerFace` times the detected face box
// high, and the eyes (two fifths down the box) lie `eyesFromTop` down it.
struct FacePlacement {
    struct Fraction {
        std::int64_t numerator;
        std::int64_t denominator;
    };
    Fraction regionPerFace;
    Fraction eyesFromTop;
};

// The tool's photos: twice the box high, the eyes at 45 % of the height, a
// little above the middle.
inline constexpr FacePlacement kPhotoFacePlacement{{2, 1}, {9, 20}};

// The student register's photos want the head about two thirds of the
// height, centred. OpenCV's frontal-face box runs from the brows to the chin,
// about two thirds of the head from crown to chin, so a region of 9/4 boxes
// gives the head 1.5 / 2.25 = 2/3 of it; the eyes, the head's middle, at
// about half the height (12/25) leave as much room above the crown as below
// the chin.
inline constexpr FacePlacement kRegisterFacePlacement{{9, 4}, {12, 25}};

// A region of the target's proportions framing a detected face box (as the
// face detector gives it), the box centred across and placed by `placement`.
// Where the photo does not allow that, the region shrinks to the largest
// that fits and moves inside the picture.
TRect FaceRegion(PictureSize picture, PictureSize target, const TRect& face,
                 const FacePlacement& placement = kPhotoFacePlacement);

// A box found in a reduced decoding of a picture, in the pixels of the
// picture itself.
TRect FaceBoxInPicture(const TRect& box, const ReducedPicture& reduced);

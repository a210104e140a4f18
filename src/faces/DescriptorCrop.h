#pragma once

#include "picture/TColor.h"

#include <cstdint>
#include <vector>

class TBitmap;

// The face descriptor network looks at a square of this many pixels.
inline constexpr std::int32_t kDescriptorCropSide = 150;

// The square of a photo that a face is described from, given the face box the
// face detector found: as wide as the box, from 0.19 of the box's height below
// its top. The detector's box reaches from the brows to the mouth; the
// network was trained on faces from the brows to the chin, which this square
// holds. On the labelled faces of bench/faces, squares moved down by 0.1 to
// 0.19 of the box's height find the right person first for over 99 % of the
// photos, the box's own square for 96 %.
TRect DescriptorSquare(const TRect& face);

// A face as the network takes it: kDescriptorCropSide² pixels, rows from the
// top, three bytes each (red, green, blue).
struct DescriptorCrop {
    std::vector<std::uint8_t> rgb;
};

// The descriptor square of `face` in `picture`, resized to
// kDescriptorCropSide² by the mean of the pixels under each (OpenCV's area
// resizing). Where the square reaches past the picture's edge, that part is
// black, so the face keeps its place in the square. A grey picture gives its
// grey in all three colours. Meant for the reduced photos of ReducedPhoto.h:
// the square is taken at the picture's own size before it is resized.
// Throws std::invalid_argument when the square lies wholly outside the
// picture (no box the detector finds does).
DescriptorCrop CropForDescriptor(const TBitmap& picture, const TRect& face);

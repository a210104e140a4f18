#pragma once

#include "faces/FaceDescriptor.h"
#include "picture/PictureSize.h"
#include "picture/TColor.h"

#include <optional>

class FaceDescriber;
class FaceDetector;
class TBitmap;

// The turn that brings a face upright: a photo stored on its side or upside
// down without an orientation tag shows its face only after it.
enum class FaceTurn { None, Right, Half, Left }; // Right: a quarter turn clockwise

// What a portrait shows of its face, for the proof sheet's face checks.
struct PortraitExamination {
    // Faces of about the largest one's size, the largest among them; 0 when
    // none was found upright or after a turn.
    int faces = 0;
    FaceTurn turn = FaceTurn::None;
    // The largest face's height in the photo's own upright pixels.
    double faceHeight = 0;
    // The largest face's box in the picture examined, turned by `turn`;
    // empty without a face.
    TRect face{};
    // Shares of the face's pixels near black and near white.
    double darkShare = 0;
    double brightShare = 0;
    // Variance of the Laplacian of the face at a fixed size. Its level
    // depends on the photo's light and on how far it was reduced before:
    // comparable between photos of one batch, and against a fixed limit
    // only for photos examined at full resolution (PortraitLimits.h).
    double sharpness = 0;
    // The largest face's descriptor, when a describer was given and a face
    // was found.
    std::optional<FaceDescriptor> descriptor;
};

// Looks at `reduced`, an upright copy of a photo of `upright` size (the
// photo itself or a reduction, ReducedPhoto.h): for faces upright, then
// smaller ones, then after a quarter turn either way and a half turn.
PortraitExamination ExaminePortrait(FaceDetector& detector, const TBitmap& reduced, PictureSize upright);
// The same, and the largest face's descriptor, from the face turned upright.
PortraitExamination ExaminePortrait(FaceDetector& detector, FaceDescriber& describer, const TBitmap& reduced,
                                    PictureSize upright);

#pragma once

#include "picture/TColor.h"

class FaceDetector;
class TCanvas;
class TGraphic;

// How a picture fills an output of other proportions.
enum class FitMode {
    Stretch, // the whole picture, scaled independently across and down
    Crop,    // the largest centred region of the output's proportions (picture/CentredCrop.h)
    Face,    // the region around the largest face; the crop's when there is none
};

// How the output's pixels are taken from the chosen region.
enum class Sampling {
    Exact,  // one pixel of the picture each, nearest neighbour by the canvas's index rule
    Smooth, // the mean of all the picture's pixels under each, from the photo shrunk on load (picture/SmoothDraw.h)
};

// Stretch keeps the exact pixels its outputs have always had; crop and face
// mode sample smoothly.
Sampling DefaultSampling(FitMode mode);

enum class FaceOutcome { NotLooked, Found, NotFound };

// Draws `picture` (upright) into `rect` of `surface` by `mode` and
// `sampling`. Face mode needs `faces`. Exact face mode reads a JPEG photo's
// data once, drawing crop mode's exact pixels and sampling an overview of the
// photo in the same pass, finds the face in the overview and draws the face
// region from it. Smooth face mode decodes the photo once at a reduced scale,
// finds the face in that decoding and averages the face region (without a
// face, crop mode's region) down from it; only a face too small for that
// scale to keep twice the output's size under its region has that region
// decoded again, finer (PhotoFit.cpp). A picture without pixels draws nothing.
FaceOutcome DrawFitted(TCanvas& surface, const TRect& rect, TGraphic& picture, FitMode mode, FaceDetector* faces,
                       Sampling sampling);

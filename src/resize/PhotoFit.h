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

enum class FaceOutcome { NotLooked, Found, NotFound };

// Draws `picture` (upright) into `rect` of `surface` by `mode`, nearest
// neighbour by the canvas's index rule applied to the chosen region. Face
// mode needs `faces`; for a JPEG photo it reads the data once, drawing crop
// mode's exact pixels and sampling an overview of the photo in the same
// pass, finds the face in the overview and draws the face region from it
// (PhotoFit.cpp). A picture without pixels draws nothing.
FaceOutcome DrawFitted(TCanvas& surface, const TRect& rect, TGraphic& picture, FitMode mode, FaceDetector* faces);

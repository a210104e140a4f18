#pragma once

#include "common/picture/TColor.h"

class FaceDetector;
class TCanvas;
class TGraphic;

// How a picture fills an output of other proportions.
enum class FitMode {
    Stretch,  // the whole picture, scaled independently across and down
    Crop,     // the largest centred region of the output's proportions (FaceFraming.h)
    Face,     // the region around the largest face; the crop's when there is none
};

enum class FaceOutcome { NotLooked, Found, NotFound };

// Draws `picture` (upright) into `rect` of `surface` by `mode`, nearest
// neighbour by the canvas's index rule applied to the chosen region. Face
// mode needs `faces`; it detects on a reduced grey copy (a scaled decoding
// for a JPEG image) and maps the box back. A picture without pixels draws
// nothing.
FaceOutcome DrawFitted(TCanvas& surface, const TRect& rect, TGraphic& picture, FitMode mode, FaceDetector* faces);

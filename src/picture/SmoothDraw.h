#pragma once

#include "picture/TColor.h"

class TCanvas;
class TGraphic;
struct ReducedPicture;

// Smooth sampling: a region of a picture drawn into a rectangle by averaging
// every picture pixel under each output pixel (AreaAverage), rather than
// picking one of them as the Canvas's nearest-neighbour drawing does. Made
// small, a photo keeps its faces clean and its hair and ties straight.
// Regions are in the upright picture's pixel coordinates, as for
// TCanvas::StretchDrawRegion; the parts of a region outside the picture are
// left out of the averages. Drawing is cut off at the Canvas's edges and
// reports one change; an empty rectangle or region, or a picture without
// pixels, draws nothing.

// From pixels already reduced (ReducedPicture.h): `region` is in the
// coordinates of the picture they were made from.
void SmoothDrawRegion(TCanvas& canvas, const TRect& rect, const ReducedPicture& reduced, const TRect& region);

// A region whose edges need not lie on pixel edges, in the picture's pixel
// coordinates: a part of a photo shown scaled, mapped back to the photo.
struct PictureWindow {
    double Left = 0;
    double Top = 0;
    double Right = 0;
    double Bottom = 0;
};
void SmoothDrawWindow(TCanvas& canvas, const TRect& rect, const ReducedPicture& reduced, const PictureWindow& region);

// Decodes a JPEG image at the smallest scale that keeps at least twice the
// rectangle's size in the region both ways (EighthsToSampleSmoothly), only in
// the region's rows and columns (ReducePictureForRegion), or takes a Bitmap's
// pixels as they are, and averages them down.
void SmoothDrawRegion(TCanvas& canvas, const TRect& rect, const TGraphic& picture, const TRect& region);

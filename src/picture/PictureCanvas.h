#pragma once

#include "picture/TCanvas.h"
#include "picture/TPicture.h"

#include <cstdint>

// The Canvas of a Picture shown in an area of the given size, as the Image
// control and the capture window's picture area hand it out. An empty
// Picture first gets a white display-form Bitmap of the area's size (width
// set first, then height) at the Picture's display colour depth; a Picture
// holding a Bitmap gives that Bitmap's Canvas, whose size no longer follows
// the area. EInvalidOperation "Can only modify an image if it contains a
// bitmap" for any other kind (a JPEG image).
TCanvas& ImageCanvas(TPicture& picture, std::int32_t areaWidth, std::int32_t areaHeight);

#pragma once

#include "common/picture/TCanvas.h"
#include "common/picture/TColor.h"
#include "common/picture/TPicture.h"

#include <cstdint>

// What the Image control (TImage, a widget) needs from the picture component,
// as plain functions so that they work without a window.

// The control's Canvas. An empty Picture first gets a white display-form
// Bitmap of the control's size (width set first, then height); a Picture
// holding a Bitmap gives that Bitmap's Canvas, whose size no longer follows the
// control. EInvalidOperation "Can only modify an image if it contains a bitmap"
// for any other kind (a JPEG image).
TCanvas& ImageCanvas(TPicture& picture, std::int32_t controlWidth, std::int32_t controlHeight);

// The rectangle the control draws its Picture into on a repaint: the whole
// control when `stretch` is set (aspect ratio not kept), else the picture's own
// size at (0, 0); `center` then moves it right by (control width - width) / 2
// and down by (control height - height) / 2, truncating toward zero.
TRect ImagePlacement(const TPicture& picture, std::int32_t controlWidth, std::int32_t controlHeight, bool stretch,
                     bool center);

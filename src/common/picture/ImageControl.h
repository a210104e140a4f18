#pragma once

#include "common/picture/TCanvas.h"
#include "common/picture/TColor.h"
#include "common/picture/TPicture.h"

#include <cstdint>

// What the Image control (TImage, a widget) needs from the picture component,
// as plain functions so that they work without a window.

// The control's Canvas. An empty Picture first gets a white display-form
// Bitmap of the control's size (width set first, then height) at the
// Picture's display colour depth; a Picture holding a Bitmap gives that
// Bitmap's Canvas, whose size no longer follows the control.
// EInvalidOperation "Can only modify an image if it contains a bitmap" for
// any other kind (a JPEG image).
TCanvas& ImageCanvas(TPicture& picture, std::int32_t controlWidth, std::int32_t controlHeight);

// How the control sizes its Picture: at the picture's own size, or over the
// whole control (aspect ratio not kept).
enum class PictureFit { OwnSize, Stretched };
// Where the control places its Picture.
enum class PicturePosition { TopLeft, Centered };

// The rectangle the control draws its Picture into on a repaint: the fitted
// size at (0, 0), or centred: moved right by (control width - width) / 2 and
// down by (control height - height) / 2, truncating toward zero.
TRect ImagePlacement(const TPicture& picture, std::int32_t controlWidth, std::int32_t controlHeight, PictureFit fit,
                     PicturePosition position);

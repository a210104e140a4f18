#pragma once

#include "picture/TColor.h"
#include "picture/TPicture.h"

#include <cstdint>

// Where the Image control (TImage) draws its Picture, as a plain function so
// that the rule is tested without a window.

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

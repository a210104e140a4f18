#pragma once

#include "picture/ExifOrientation.h"
#include "picture/PictureSize.h"
#include "picture/TColor.h"

#include <cstdint>
#include <memory>
#include <vector>

class PixelGrid;

// A photo's pixels as stored and as shown: the upright picture is the stored
// one turned or mirrored by its EXIF orientation. Everything here maps
// upright coordinates to stored ones, so that a picture can be sampled
// upright without turning all of it first.

PictureSize UprightSize(PictureSize stored, ExifOrientation orientation);

// The stored pixel shown at upright column u, row v.
struct StoredPixel {
    std::int64_t X = 0;
    std::int64_t Y = 0;
};
StoredPixel StoredPixelAt(PictureSize stored, ExifOrientation orientation, std::int64_t u, std::int64_t v);

// A new grid of the same depth and colour table holding `stored` turned
// upright (8, 24 or 32 bits per pixel).
std::shared_ptr<PixelGrid> TurnUpright(const PixelGrid& stored, ExifOrientation orientation);

// Which stored rows and columns a nearest-neighbour sampling of an upright
// region needs. Target pixel (i, j) of a targetWidth x targetHeight picture
// takes upright pixel
//     (region.Left + i * regionWidth / targetWidth, region.Top + j * regionHeight / targetHeight)
// (truncated), the picture component's one index rule. Sampling the stored
// picture at Columns x Rows (pixel (c, r) = stored (Columns[c], Rows[r]))
// gives the target directly, or, when Transposed, the target mirrored across
// its main diagonal: a quarter-turned photo's upright columns are its stored
// rows. The region must lie inside the upright picture.
struct SamplingPlan {
    std::vector<std::int32_t> Columns;
    std::vector<std::int32_t> Rows;
    bool Transposed = false;
};
SamplingPlan PlanSampling(PictureSize stored, ExifOrientation orientation, const TRect& region,
                          std::int32_t targetWidth, std::int32_t targetHeight);

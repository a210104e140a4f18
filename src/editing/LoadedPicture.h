#pragma once

#include "picture/QuarterTurns.h"
#include "picture/TColor.h"

#include <cstdint>
#include <memory>

class TCanvas;
class TGraphic;

// The picture the capture window loaded, kept at full resolution beside the
// picture area's redrawn copy, and how that copy shows it: the whole picture
// scaled to the area's size and turned by the quarter turns made since. The
// area's own drawing stays nearest neighbour (zooms and turns as they have
// always been); a crop of a reduced area and the automatic framing take their
// pixels from here, each the mean of the loaded picture's pixels under it.
class LoadedPicture {
public:
    // Keeps `picture` as loaded, sharing its data; nothing kept for nullptr
    // or a picture without pixels.
    void Keep(const TGraphic* picture);
    void Clear();
    bool Empty() const { return picture_ == nullptr; }
    // The area's picture was turned by a quarter.
    void Turn(TurnDirection direction);

    // Whether an area of this size shows the picture smaller than it is.
    bool ShownReduced(std::int32_t areaWidth, std::int32_t areaHeight) const;

    // Draws what `areaRect` of an area of areaWidth by areaHeight shows into
    // `rect` of `canvas`, averaged from the loaded picture and turned as the
    // area is. Pixels of `rect` that no part of the picture lies under are
    // white. Nothing when nothing is kept or a size is empty.
    void DrawSmoothly(TCanvas& canvas, const TRect& rect, const TRect& areaRect, std::int32_t areaWidth,
                      std::int32_t areaHeight) const;

private:
    std::shared_ptr<TGraphic> picture_;
    int clockwiseTurns_ = 0; // 0 to 3
};

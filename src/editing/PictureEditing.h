#pragma once

#include "picture/QuarterTurns.h"
#include "picture/TColor.h"
#include "picture/TPicture.h"

#include <cstdint>

class FaceDetector;
class LoadedPicture;

// The picture work of the capture window, on plain pictures so that it runs
// (and is measured) without any window.

// The crop frame's size: the size of every saved photo.
inline constexpr std::int32_t kCropWidth = 120;
inline constexpr std::int32_t kCropHeight = 180;

// The largest side a control can take; a zoom past it is refused like one
// past the picture component's grid limit.
inline constexpr std::int32_t kMaxControlSide = 16'777'215;

// The picture area: the Picture its Image control shows and the control's
// size. Whenever the area holds a picture, that picture is a Bitmap of
// exactly Width by Height; the steps below keep it so and write the control's
// new size back here.
struct PictureArea {
    TPicture& Picture;
    std::int32_t Width;
    std::int32_t Height;
};

// Replaces whatever the area holds (a Bitmap or a JPEG image, decoded here)
// by a Bitmap of half its width and height (remainders dropped), drawn by
// nearest-neighbour sampling, and sizes the area to match.
void HalfSizeRedraw(PictureArea& area);

enum class ZoomDirection { In, Out };

// Zooms by the factor k = max(picture width / area width, picture height /
// area height) + 1: in multiplies both sides by k (each pixel becomes a k by
// k block), out divides them by k (one pixel of every k by k block stays).
// A step that would give a side of 0, a side past kMaxControlSide or a grid
// past the picture component's limit is refused: it returns false and the
// picture and the area stay exactly as they were.
bool Zoom(PictureArea& area, ZoomDirection direction);

// Turns the area's picture by a quarter: left (anticlockwise) brings the
// right edge to the top, right (clockwise) the left edge. Every pixel is read
// and written as the Canvas's pixel access would (converted to the turned
// grid's depth), and the picture reports one change. The area's Width and
// Height swap with the picture.
void QuarterTurn(PictureArea& area, TurnDirection direction);

// Where a drag leaves the picture area, and the part of its picture that the
// crop will copy.
struct DragResult {
    std::int32_t Left;
    std::int32_t Top;
    TRect CropRect;
};

// The pointer at (x, y) of the picture area itself: the picture's centre
// jumps to the pointer. The crop rectangle is taken from the middle of the
// scroll box (boxWidth, boxHeight its outer size), which puts it 1 pixel right
// of and 3 pixels below the frame's own outline.
DragResult DragOverPicture(std::int32_t areaLeft, std::int32_t areaTop, std::int32_t areaWidth, std::int32_t areaHeight,
                           std::int32_t x, std::int32_t y, std::int32_t boxWidth, std::int32_t boxHeight);

// The pointer at (x, y) of the crop frame lying at (frameLeft, frameTop): the
// picture's centre jumps to the pointer and the crop rectangle is exactly the
// part of the picture under the frame.
DragResult DragOverFrame(std::int32_t frameLeft, std::int32_t frameTop, std::int32_t areaWidth, std::int32_t areaHeight,
                         std::int32_t x, std::int32_t y);

// The crop rectangle of size kCropWidth by kCropHeight at (left, top).
TRect CropRectAt(std::int32_t left, std::int32_t top);

enum class FaceFramingOutcome {
    Framed,   // the picture was zoomed; Placement says where it goes
    NoFace,   // nothing changed
    TooLarge, // the zoom would exceed what a control or the component can hold; nothing changed
};

struct FaceFraming {
    FaceFramingOutcome Outcome;
    DragResult Placement;
};

// Zooms the area's picture so that the crop frame, lying at (frameLeft,
// frameTop) in the scroll box, holds its largest face as the batch resize's
// face mode frames it (FaceRegion): the picture is redrawn at the scale that
// makes that region kCropHeight high, and Placement gives the picture's new
// place and the crop rectangle under the frame. With `loaded` (the area's
// picture as it was loaded) the redrawing averages the loaded picture's
// pixels down or up to that scale; without, it samples the area's own
// picture nearest-neighbour.
FaceFraming FrameFace(PictureArea& area, FaceDetector& faces, std::int32_t frameLeft, std::int32_t frameTop,
                      const LoadedPicture* loaded = nullptr);

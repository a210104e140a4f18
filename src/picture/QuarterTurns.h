#pragma once

class TBitmap;

enum class TurnDirection { Left, Right };

// Writes every pixel of `source` into `target` turned by a quarter: left
// (anticlockwise) brings the right edge to the top, right (clockwise) the
// left edge. `target` must be as wide as `source` is high and as high as it
// is wide (std::invalid_argument otherwise); it keeps its depth, and every
// pixel is read and written as the Canvas's pixel access would (converted to
// that depth). `target` reports one change. Nothing for a source without
// pixels. The two may share their pixels or be the same square Bitmap.
void DrawQuarterTurned(TBitmap& target, const TBitmap& source, TurnDirection direction);

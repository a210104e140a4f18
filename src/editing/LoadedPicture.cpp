#include "editing/LoadedPicture.h"

#include "picture/ReducedPicture.h"
#include "picture/SmoothDraw.h"
#include "picture/TBitmap.h"
#include "picture/TCanvas.h"
#include "picture/TGraphic.h"

#include <cmath>
#include <utility>

void LoadedPicture::Keep(const TGraphic* picture)
{
    Clear();
    if (picture == nullptr || picture->Empty() || picture->Width() <= 0 || picture->Height() <= 0)
        return;
    std::unique_ptr<TGraphic> kept = picture->NewEmpty();
    kept->Assign(picture);
    picture_ = std::move(kept);
}

void LoadedPicture::Clear()
{
    picture_.reset();
    clockwiseTurns_ = 0;
}

void LoadedPicture::Turn(TurnDirection direction)
{
    clockwiseTurns_ = (clockwiseTurns_ + (direction == TurnDirection::Right ? 1 : 3)) % 4;
}

bool LoadedPicture::ShownReduced(std::int32_t areaWidth, std::int32_t areaHeight) const
{
    if (!picture_)
        return false;
    const bool sideways = clockwiseTurns_ % 2 == 1;
    const std::int32_t shownWidth = sideways ? areaHeight : areaWidth;
    const std::int32_t shownHeight = sideways ? areaWidth : areaHeight;
    return shownWidth < picture_->Width() || shownHeight < picture_->Height();
}

void LoadedPicture::DrawSmoothly(TCanvas& canvas, const TRect& rect, const TRect& areaRect, std::int32_t areaWidth,
                                 std::int32_t areaHeight) const
{
    if (!picture_ || rect.Width() <= 0 || rect.Height() <= 0 || areaRect.Width() <= 0 || areaRect.Height() <= 0
        || areaWidth <= 0 || areaHeight <= 0)
        return;
    // Undo the turns, one at a time: a point (x, y) of a picture w wide and
    // h high turned clockwise came from (y, w - x) of the h by w picture
    // before, the rectangle's corners likewise.
    PictureWindow window{static_cast<double>(areaRect.Left), static_cast<double>(areaRect.Top),
                         static_cast<double>(areaRect.Right), static_cast<double>(areaRect.Bottom)};
    double width = areaWidth;
    double height = areaHeight;
    for (int turn = 0; turn < clockwiseTurns_; ++turn) {
        window = {window.Top, width - window.Right, window.Bottom, width - window.Left};
        std::swap(width, height);
    }
    // Then the area's scale: the whole picture fills it.
    const double toPictureX = picture_->Width() / width;
    const double toPictureY = picture_->Height() / height;
    window = {window.Left * toPictureX, window.Top * toPictureY, window.Right * toPictureX, window.Bottom * toPictureY};

    const bool sideways = clockwiseTurns_ % 2 == 1;
    const std::int32_t drawnWidth = sideways ? rect.Height() : rect.Width();
    const std::int32_t drawnHeight = sideways ? rect.Width() : rect.Height();
    auto drawn = std::make_unique<TBitmap>(canvas.Bitmap().DisplayDepth());
    drawn->SetSize(drawnWidth, drawnHeight);
    const PictureSize windowSize{static_cast<std::int32_t>(std::ceil(window.Right - window.Left)),
                                 static_cast<std::int32_t>(std::ceil(window.Bottom - window.Top))};
    const ReducedPicture reduced =
        ReducePicture(*picture_, EighthsToSampleSmoothly(windowSize, {drawnWidth, drawnHeight}));
    SmoothDrawWindow(drawn->Canvas(), {0, 0, drawnWidth, drawnHeight}, reduced, window);
    for (int turn = 0; turn < clockwiseTurns_; ++turn) {
        auto turned = std::make_unique<TBitmap>(drawn->DisplayDepth());
        turned->SetSize(drawn->Height(), drawn->Width());
        DrawQuarterTurned(*turned, *drawn, TurnDirection::Right);
        drawn = std::move(turned);
    }
    canvas.CopyRect(rect, drawn->Canvas(), {0, 0, rect.Width(), rect.Height()});
}

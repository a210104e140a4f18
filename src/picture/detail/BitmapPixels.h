#pragma once

#include <functional>
#include <memory>

class PixelGrid;

// The pixels of one Bitmap, as the Bitmap and its Canvas both work on them:
// the grid (null without pixels) and the report of a change to whoever shows
// the Bitmap. Several Bitmaps may share one grid (assigning one to another);
// a grid still shared is copied before it is written (copy on write), so a
// change never shows in another Bitmap.
class BitmapPixels {
public:
    explicit BitmapPixels(std::function<void()> reportChange);
    BitmapPixels(const BitmapPixels&) = delete;
    BitmapPixels& operator=(const BitmapPixels&) = delete;
    ~BitmapPixels();

    // For reading. A caller that writes into another Bitmap while it reads
    // this grid keeps a copy of this pointer: a target sharing the grid then
    // copies it before writing, so the pixels read stay as they were.
    const std::shared_ptr<PixelGrid>& Grid() const { return grid_; }
    // For writing: the grid, copied first while another Bitmap shares it.
    PixelGrid* MutableGrid();
    void SetGrid(std::shared_ptr<PixelGrid> grid);

    void ReportChange() const { reportChange_(); }

private:
    std::shared_ptr<PixelGrid> grid_;
    std::function<void()> reportChange_;
};

#pragma once

#include "picture/DisplayColorDepth.h"
#include "picture/TBitmap.h"
#include "picture/TGraphic.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

// Holds no graphic or exactly one, and owns it. Every change of the held
// graphic (load, replace, empty, resize, drawing, pixel write) is reported
// through the OnChange callback to whoever shows the Picture. The graphics it
// makes itself (by loading, or as a new Bitmap) are for a display of its
// display colour depth.
class TPicture {
public:
    explicit TPicture(DisplayColorDepth displayDepth = {});
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;
    ~TPicture();

    // Chooses the graphic kind by the file name's extension (TFileFormatsList)
    // and loads the file into a new graphic that replaces the held one. On any
    // failure the Picture keeps what it held.
    void LoadFromFile(const std::filesystem::path& path);
    // The held graphic writes itself in its own format (a Bitmap as BMP,
    // whatever the extension). An empty Picture writes nothing.
    void SaveToFile(const std::filesystem::path& path) const;

    // nullptr when empty.
    TGraphic* Graphic() const { return graphic_.get(); }
    // Holds a new graphic of the same kind as `graphic`, filled by Assign (the
    // caller keeps `graphic`); nullptr empties the Picture.
    void SetGraphic(const TGraphic* graphic);
    // The held Bitmap; a Picture holding another kind or nothing first frees it
    // and holds a new empty Bitmap.
    TBitmap& Bitmap();

    std::int32_t Width() const;
    std::int32_t Height() const;

    void SetOnChange(std::function<void()> onChange);

    DisplayColorDepth DisplayDepth() const { return displayDepth_; }
    // For the graphics made from now on.
    void SetDisplayDepth(DisplayColorDepth displayDepth) { displayDepth_ = displayDepth; }

private:
    void Hold(std::unique_ptr<TGraphic> graphic);
    void Changed();

    DisplayColorDepth displayDepth_;
    std::unique_ptr<TGraphic> graphic_;
    std::function<void()> onChange_;
};

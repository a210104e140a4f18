#pragma once

#include "picture/TColor.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class TBitmap;
class TCanvas;

// What a Picture holds: a Bitmap, a JPEG image, or one of the registered
// kinds that this tool never loads (icon, metafile). Every graphic has a size,
// draws itself scaled into a rectangle of a Canvas, takes its content from
// another graphic and reads and writes itself from and to bytes.
class TGraphic {
public:
    TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;
    virtual ~TGraphic();

    // A new, empty graphic of the same kind.
    virtual std::unique_ptr<TGraphic> NewEmpty() const = 0;
    // Takes the content of `source`; nullptr makes this graphic empty.
    virtual void Assign(const TGraphic* source) = 0;
    // The graphic's pixels as a Bitmap, which a Bitmap assigned from it
    // shares: a Bitmap itself, a JPEG image's decoded Bitmap (decoding it on
    // the first call). nullptr for the kinds without pixels.
    virtual const TBitmap* AsBitmap() const { return nullptr; }
    // Draws `region` of the graphic scaled into `rect` by the canvas's index
    // rule (TCanvas.h); destination pixels whose source pixel lies outside
    // the graphic keep their colour.
    virtual void DrawRegion(TCanvas& canvas, const TRect& rect, const TRect& region) = 0;
    virtual bool Empty() const = 0;
    virtual std::int32_t Width() const = 0;
    virtual std::int32_t Height() const = 0;
    virtual void SetWidth(std::int32_t width) = 0;
    virtual void SetHeight(std::int32_t height) = 0;
    // Reads the graphic from all of `bytes`.
    virtual void LoadFromStream(std::span<const std::uint8_t> bytes) = 0;
    // The same from bytes the caller shares: a kind that keeps its file's
    // bytes (the JPEG image) keeps these instead of copying them. The caller
    // must not change them while the graphic holds them.
    virtual void LoadFromBytes(std::shared_ptr<const std::vector<std::uint8_t>> bytes) { LoadFromStream(*bytes); }
    // Appends the graphic in its own file format to `out`.
    virtual void SaveToStream(std::vector<std::uint8_t>& out) const = 0;

    // Reads the whole file and loads it; EFOpenError when it cannot be opened,
    // EOutOfResources when it is larger than any picture the component holds
    // (about 257 MiB; also ends an endless source such as a device).
    // On failure this graphic may be left half loaded: callers that must keep
    // what they had load into a new graphic (TPicture does).
    void LoadFromFile(const std::filesystem::path& path);
    // Creates (or replaces) the file and writes the graphic into it;
    // EFCreateError when the file cannot be created.
    void SaveToFile(const std::filesystem::path& path) const;

    // Called after every change of the graphic (resize, drawing, pixel write,
    // load). Kept cheap by the receiver: the Image control only marks itself
    // for one repaint later.
    void SetOnChange(std::function<void()> onChange);

protected:
    void Changed();

private:
    std::function<void()> onChange_;
};

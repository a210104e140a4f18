#pragma once

#include "picture/TGraphic.h"

// A kind of the file format registry that no window of this tool loads: it
// stays empty, draws nothing, and loading it fails with its own message.
class UnloadableGraphic : public TGraphic {
public:
    void Assign(const TGraphic* source) override;
    void DrawRegion(TCanvas& canvas, const TRect& rect, const TRect& region) override;
    bool Empty() const override { return true; }
    std::int32_t Width() const override { return 0; }
    std::int32_t Height() const override { return 0; }
    void SetWidth(std::int32_t width) override;
    void SetHeight(std::int32_t height) override;
    void LoadFromStream(std::span<const std::uint8_t> bytes) override;
    void SaveToStream(std::vector<std::uint8_t>& out) const override;

protected:
    // `kindName` completes "… to an icon"; `invalidMessage` is the load error.
    UnloadableGraphic(const char* kindName, const char* invalidMessage);

private:
    const char* kindName_;
    const char* invalidMessage_;
};

#pragma once

#include "common/picture/TGraphic.h"

// The metafile kind (wmf, emf) of the file format registry. No window of this
// tool loads metafiles, so the kind stays empty: loading fails with
// "Metafile is not valid".
class TMetafile final : public TGraphic {
public:
    std::unique_ptr<TGraphic> NewEmpty() const override;
    void Assign(const TGraphic* source) override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    bool Empty() const override { return true; }
    std::int32_t Width() const override { return 0; }
    std::int32_t Height() const override { return 0; }
    void SetWidth(std::int32_t width) override;
    void SetHeight(std::int32_t height) override;
    void LoadFromStream(std::span<const std::uint8_t> bytes) override;
    void SaveToStream(std::vector<std::uint8_t>& out) const override;
};

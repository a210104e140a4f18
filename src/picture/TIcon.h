#pragma once

#include "picture/UnloadableGraphic.h"

// The icon kind of the file format registry. No window of this tool loads
// icons: loading fails with "Icon image is not valid".
class TIcon final : public UnloadableGraphic {
public:
    TIcon() : UnloadableGraphic("an icon", "Icon image is not valid") { }
    std::unique_ptr<TGraphic> NewEmpty() const override { return std::make_unique<TIcon>(); }
};

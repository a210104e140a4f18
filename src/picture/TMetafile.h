#pragma once

#include "picture/UnloadableGraphic.h"

// The metafile kind (wmf, emf) of the file format registry. No window of this
// tool loads metafiles: loading fails with "Metafile is not valid".
class TMetafile final : public UnloadableGraphic {
public:
    TMetafile() : UnloadableGraphic("a metafile", "Metafile is not valid") { }
    std::unique_ptr<TGraphic> NewEmpty() const override { return std::make_unique<TMetafile>(); }
};

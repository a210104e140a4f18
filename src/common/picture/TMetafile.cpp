#include "common/picture/TMetafile.h"

#include "common/picture/PictureErrors.h"

std::unique_ptr<TGraphic> TMetafile::NewEmpty() const
{
    return std::make_unique<TMetafile>();
}

void TMetafile::Assign(const TGraphic* source)
{
    if (source != nullptr && !source->Empty())
        throw EInvalidGraphicOperation("Cannot assign this kind of picture to a metafile");
}

void TMetafile::Draw(TCanvas&, const TRect&)
{
}

void TMetafile::SetWidth(std::int32_t)
{
    throw EInvalidGraphicOperation("Cannot change the size of a metafile");
}

void TMetafile::SetHeight(std::int32_t)
{
    throw EInvalidGraphicOperation("Cannot change the size of a metafile");
}

void TMetafile::LoadFromStream(std::span<const std::uint8_t>)
{
    throw EInvalidGraphic("Metafile is not valid");
}

void TMetafile::SaveToStream(std::vector<std::uint8_t>&) const
{
}

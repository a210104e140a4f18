#include "common/picture/TIcon.h"

#include "common/picture/PictureErrors.h"

std::unique_ptr<TGraphic> TIcon::NewEmpty() const
{
    return std::make_unique<TIcon>();
}

void TIcon::Assign(const TGraphic* source)
{
    if (source != nullptr && !source->Empty())
        throw EInvalidGraphicOperation("Cannot assign this kind of picture to an icon");
}

void TIcon::Draw(TCanvas&, const TRect&)
{
}

void TIcon::SetWidth(std::int32_t)
{
    throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::SetHeight(std::int32_t)
{
    throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::LoadFromStream(std::span<const std::uint8_t>)
{
    throw EInvalidGraphic("Icon image is not valid");
}

void TIcon::SaveToStream(std::vector<std::uint8_t>&) const
{
}

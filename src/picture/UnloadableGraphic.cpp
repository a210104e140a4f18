#include "picture/UnloadableGraphic.h"

#include "picture/PictureErrors.h"

#include <string>

UnloadableGraphic::UnloadableGraphic(const char* kindName, const char* invalidMessage)
    : kindName_(kindName), invalidMessage_(invalidMessage)
{
}

void UnloadableGraphic::Assign(const TGraphic* source)
{
    if (source != nullptr && !source->Empty())
        throw EInvalidGraphicOperation(std::string("Cannot assign this kind of picture to ") + kindName_);
}

void UnloadableGraphic::DrawRegion(TCanvas&, const TRect&, const TRect&) { }

void UnloadableGraphic::SetWidth(std::int32_t)
{
    throw EInvalidGraphicOperation(std::string("Cannot change the size of ") + kindName_);
}

void UnloadableGraphic::SetHeight(std::int32_t)
{
    throw EInvalidGraphicOperation(std::string("Cannot change the size of ") + kindName_);
}

void UnloadableGraphic::LoadFromStream(std::span<const std::uint8_t>)
{
    throw EInvalidGraphic(invalidMessage_);
}

void UnloadableGraphic::SaveToStream(std::vector<std::uint8_t>&) const { }

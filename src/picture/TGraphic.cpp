#include "picture/TGraphic.h"

#include "picture/FileBytes.h"

TGraphic::~TGraphic() = default;

void TGraphic::SetOnChange(std::function<void()> onChange)
{
    onChange_ = std::move(onChange);
}

void TGraphic::Changed()
{
    if (onChange_)
        onChange_();
}

void TGraphic::LoadFromFile(const std::filesystem::path& path)
{
    auto bytes = std::make_shared<std::vector<std::uint8_t>>();
    ReadFileBytes(path, *bytes);
    LoadFromBytes(std::move(bytes));
}

void TGraphic::SaveToFile(const std::filesystem::path& path) const
{
    std::vector<std::uint8_t> bytes;
    SaveToStream(bytes);
    WriteFileBytes(path, bytes);
}

#include "picture/TPicture.h"

#include "picture/PictureErrors.h"
#include "picture/TFileFormatsList.h"

TPicture::TPicture(DisplayColorDepth displayDepth) : displayDepth_(displayDepth) { }

TPicture::~TPicture()
{
    // The held graphic must not report its own destruction to a gone owner.
    if (graphic_)
        graphic_->SetOnChange(nullptr);
}

void TPicture::LoadFromFile(const std::filesystem::path& path)
{
    // A new graphic takes the file; only when it loaded does it replace the
    // held one, so a failed load leaves the Picture as it was.
    std::unique_ptr<TGraphic> graphic = NewGraphicFor(path, displayDepth_);
    graphic->LoadFromFile(path);
    Hold(std::move(graphic));
    Changed();
}

void TPicture::SaveToFile(const std::filesystem::path& path) const
{
    if (graphic_)
        graphic_->SaveToFile(path);
}

void TPicture::SetGraphic(const TGraphic* graphic)
{
    if (graphic == nullptr) {
        Hold(nullptr);
        Changed();
        return;
    }
    std::unique_ptr<TGraphic> copy = graphic->NewEmpty();
    copy->Assign(graphic);
    Hold(std::move(copy));
    Changed();
}

TBitmap& TPicture::Bitmap()
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(graphic_.get()))
        return *bitmap;
    Hold(std::make_unique<TBitmap>(displayDepth_));
    Changed();
    return static_cast<TBitmap&>(*graphic_);
}

std::int32_t TPicture::Width() const
{
    return graphic_ ? graphic_->Width() : 0;
}

std::int32_t TPicture::Height() const
{
    return graphic_ ? graphic_->Height() : 0;
}

void TPicture::SetOnChange(std::function<void()> onChange)
{
    onChange_ = std::move(onChange);
}

void TPicture::Hold(std::unique_ptr<TGraphic> graphic)
{
    if (graphic_)
        graphic_->SetOnChange(nullptr);
    graphic_ = std::move(graphic);
    if (graphic_)
        graphic_->SetOnChange([this] { Changed(); });
}

void TPicture::Changed()
{
    if (onChange_)
        onChange_();
}

#include "common/picture/TJPEGImage.h"

#include "common/picture/PictureErrors.h"
#include "common/picture/TFileFormatsList.h"

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

std::unique_ptr<TGraphic> TJPEGImage::NewEmpty() const
{
    return std::make_unique<TJPEGImage>();
}

void TJPEGImage::Assign(const TGraphic* source)
{
    if (source == nullptr) {
        bytes_.reset();
        width_ = height_ = components_ = 0;
        decoded_.reset();
        decodeError_.reset();
        Changed();
        return;
    }
    const auto* jpeg = dynamic_cast<const TJPEGImage*>(source);
    if (jpeg == nullptr)
        throw EInvalidGraphicOperation("Cannot assign this kind of picture to a JPEG image");
    bytes_ = jpeg->bytes_;
    width_ = jpeg->width_;
    height_ = jpeg->height_;
    components_ = jpeg->components_;
    decoded_ = jpeg->decoded_;
    decodeError_ = jpeg->decodeError_;
    Changed();
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect)
{
    const_cast<TBitmap&>(DecodedBitmap()).Draw(canvas, rect);
}

bool TJPEGImage::Empty() const
{
    return bytes_ == nullptr;
}

void TJPEGImage::SetWidth(std::int32_t)
{
    throw EInvalidGraphicOperation(kJpegSizeChangeMessage);
}

void TJPEGImage::SetHeight(std::int32_t)
{
    throw EInvalidGraphicOperation(kJpegSizeChangeMessage);
}

void TJPEGImage::LoadFromStream(std::span<const std::uint8_t> bytes)
{
    bytes_ = std::make_shared<const std::vector<std::uint8_t>>(bytes.begin(), bytes.end());
    Changed();
}

void TJPEGImage::SaveToStream(std::vector<std::uint8_t>& out) const
{
    if (bytes_)
        out.insert(out.end(), bytes_->begin(), bytes_->end());
}

const TBitmap& TJPEGImage::DecodedBitmap() const
{
    throw EJPEG(42);
}

void RegisterJpegFormats(TFileFormatsList& list)
{
    list.Add("jpeg", "JPEG Image File", [] { return std::unique_ptr<TGraphic>(std::make_unique<TJPEGImage>()); });
    list.Add("jpg", "JPEG Image File", [] { return std::unique_ptr<TGraphic>(std::make_unique<TJPEGImage>()); });
}

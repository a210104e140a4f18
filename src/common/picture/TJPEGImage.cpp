#include "common/picture/TJPEGImage.h"

#include "common/picture/DisplayColorDepth.h"
#include "common/picture/JpegDecoder.h"
#include "common/picture/PictureErrors.h"
#include "common/picture/PixelGrid.h"
#include "common/picture/StretchCopy.h"
#include "common/picture/TFileFormatsList.h"

#include <algorithm>
#include <climits>

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
        sampled_.reset();
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
    sampled_ = jpeg->sampled_;
    decodeError_ = jpeg->decodeError_;
    Changed();
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect)
{
    const std::int64_t width = std::int64_t{rect.Right} - rect.Left;
    const std::int64_t height = std::int64_t{rect.Bottom} - rect.Top;
    if (width <= 0 || height <= 0)
        return;
    // Only a rectangle no larger than the image takes the sampled path, so
    // its sides then fit 32 bits.
    const auto drawWidth = static_cast<std::int32_t>(std::min<std::int64_t>(width, INT32_MAX));
    const auto drawHeight = static_cast<std::int32_t>(std::min<std::int64_t>(height, INT32_MAX));
    const bool reduced = drawWidth <= width_ && drawHeight <= height_ && (drawWidth < width_ || drawHeight < height_);
    if (decoded_ || decodeError_ || !reduced) {
        sampled_.reset();
        DecodedBitmap();
        decoded_->Draw(canvas, rect);
        return;
    }
    if (!sampled_ || sampled_->Width() != drawWidth || sampled_->Height() != drawHeight) {
        if (sampled_) {
            // A second size: one full decoding serves every size from now on.
            sampled_.reset();
            DecodedBitmap();
            decoded_->Draw(canvas, rect);
            return;
        }
        ++decodeCount_;
        try {
            sampled_ = DecodeJpegSampled(*bytes_, DecodingColours(), drawWidth, drawHeight);
        } catch (const EJPEG& error) {
            decodeError_ = error.MessageCode();
            throw;
        }
    }
    PixelGrid* target = canvas.Bitmap().MutableGrid();
    if (target != nullptr)
        StretchCopy(*target, rect, *sampled_, TRect{0, 0, drawWidth, drawHeight});
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
    // The header is read before anything changes, so a failed load leaves
    // this image as it was.
    JpegHeader header;
    if (!bytes.empty())
        header = ReadJpegHeader(bytes);
    bytes_ = std::make_shared<const std::vector<std::uint8_t>>(bytes.begin(), bytes.end());
    width_ = header.Width;
    height_ = header.Height;
    components_ = header.Components;
    decoded_.reset();
    sampled_.reset();
    decodeError_.reset();
    Changed();
}

void TJPEGImage::SaveToStream(std::vector<std::uint8_t>& out) const
{
    if (bytes_)
        out.insert(out.end(), bytes_->begin(), bytes_->end());
}

const TBitmap& TJPEGImage::DecodedBitmap() const
{
    if (decoded_)
        return *decoded_;
    if (decodeError_)
        throw EJPEG(*decodeError_);
    static const std::vector<std::uint8_t> kNoBytes;
    const std::vector<std::uint8_t>& bytes = bytes_ ? *bytes_ : kNoBytes;
    ++decodeCount_;
    try {
        auto bitmap = std::make_shared<TBitmap>();
        bitmap->AdoptGrid(DecodeJpeg(bytes, DecodingColours()));
        decoded_ = std::move(bitmap);
    } catch (const EJPEG& error) {
        decodeError_ = error.MessageCode();
        throw;
    }
    return *decoded_;
}

JpegColours TJPEGImage::DecodingColours()
{
    return DisplayColorDepth() <= 8 ? JpegColours::Quantised : JpegColours::Full;
}

void RegisterJpegFormats(TFileFormatsList& list)
{
    list.Add("jpeg", "JPEG Image File", [] { return std::unique_ptr<TGraphic>(std::make_unique<TJPEGImage>()); });
    list.Add("jpg", "JPEG Image File", [] { return std::unique_ptr<TGraphic>(std::make_unique<TJPEGImage>()); });
}

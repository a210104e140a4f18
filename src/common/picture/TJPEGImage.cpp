#include "common/picture/TJPEGImage.h"

#include "common/picture/DisplayColorDepth.h"
#include "common/picture/JpegDecoder.h"
#include "common/picture/PictureErrors.h"
#include "common/picture/PixelGrid.h"
#include "common/picture/StretchCopy.h"
#include "common/picture/TFileFormatsList.h"
#include "common/picture/UprightPicture.h"

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
        width_ = height_ = storedWidth_ = storedHeight_ = components_ = 0;
        orientation_ = ExifOrientation::TopLeft;
        decoded_.reset();
        sampled_.reset();
        decodeError_.reset();
        readToEnd_ = false;
        Changed();
        return;
    }
    const auto* jpeg = dynamic_cast<const TJPEGImage*>(source);
    if (jpeg == nullptr)
        throw EInvalidGraphicOperation("Cannot assign this kind of picture to a JPEG image");
    bytes_ = jpeg->bytes_;
    width_ = jpeg->width_;
    height_ = jpeg->height_;
    storedWidth_ = jpeg->storedWidth_;
    storedHeight_ = jpeg->storedHeight_;
    components_ = jpeg->components_;
    orientation_ = jpeg->orientation_;
    decoded_ = jpeg->decoded_;
    sampled_ = jpeg->sampled_;
    sampledRegion_ = jpeg->sampledRegion_;
    decodeError_ = jpeg->decodeError_;
    readToEnd_ = jpeg->readToEnd_;
    Changed();
}

template <class Decoding>
auto TJPEGImage::Decode(Decoding decoding) const
{
    if (decodeError_)
        throw EJPEG(*decodeError_);
    ++decodeCount_;
    try {
        return decoding(bytes_ ? std::span<const std::uint8_t>(*bytes_) : std::span<const std::uint8_t>());
    } catch (const EJPEG& error) {
        decodeError_ = error.MessageCode();
        throw;
    }
}

void TJPEGImage::DrawRegion(TCanvas& canvas, const TRect& rect, const TRect& region)
{
    const std::int64_t width = std::int64_t{rect.Right} - rect.Left;
    const std::int64_t height = std::int64_t{rect.Bottom} - rect.Top;
    if (width <= 0 || height <= 0)
        return;
    const std::int64_t regionWidth = std::int64_t{region.Right} - region.Left;
    const std::int64_t regionHeight = std::int64_t{region.Bottom} - region.Top;
    const bool regionInside = region.Left >= 0 && region.Top >= 0 && regionWidth > 0 && regionHeight > 0
                              && region.Right <= width_ && region.Bottom <= height_;
    // Only a rectangle no larger than the region, itself inside the image,
    // takes the sampled path, so its sides then fit 32 bits.
    const bool reduced = regionInside && width <= regionWidth && height <= regionHeight
                         && (width < width_ || height < height_);
    const auto drawWidth = static_cast<std::int32_t>(std::min<std::int64_t>(width, INT32_MAX));
    const auto drawHeight = static_cast<std::int32_t>(std::min<std::int64_t>(height, INT32_MAX));
    const bool sampledFits = sampled_ && sampled_->Width() == drawWidth && sampled_->Height() == drawHeight
                             && sampledRegion_ == region;
    if (decoded_ || decodeError_ || !reduced || (sampled_ && !sampledFits)) {
        // A second size or region: one full decoding serves every draw from now on.
        sampled_.reset();
        DecodedBitmap();
        decoded_->DrawRegion(canvas, rect, region);
        return;
    }
    if (!sampled_) {
        const SamplingPlan plan = PlanSampling({storedWidth_, storedHeight_}, orientation_, region, drawWidth, drawHeight);
        const JpegReading reading = readToEnd_ ? JpegReading::UpToLastSample : JpegReading::WholeStream;
        std::shared_ptr<PixelGrid> stored = Decode([&](std::span<const std::uint8_t> bytes) {
            return DecodeJpegSampled(bytes, DecodingColours(), plan.Columns, plan.Rows, reading);
        });
        readToEnd_ = true;
        sampled_ = plan.Transposed ? Transposed(*stored) : std::move(stored);
        sampledRegion_ = region;
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
    LoadFromBytes(std::make_shared<const std::vector<std::uint8_t>>(bytes.begin(), bytes.end()));
}

void TJPEGImage::LoadFromBytes(std::shared_ptr<const std::vector<std::uint8_t>> bytes)
{
    // The header is read before anything changes, so a failed load leaves
    // this image as it was.
    JpegHeader header;
    if (!bytes->empty())
        header = ReadJpegHeader(*bytes);
    bytes_ = std::move(bytes);
    storedWidth_ = header.Width;
    storedHeight_ = header.Height;
    orientation_ = header.Orientation;
    const PictureSize upright = UprightSize({header.Width, header.Height}, header.Orientation);
    width_ = upright.Width;
    height_ = upright.Height;
    components_ = header.Components;
    decoded_.reset();
    sampled_.reset();
    decodeError_.reset();
    readToEnd_ = false;
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
    std::shared_ptr<PixelGrid> grid =
        Decode([](std::span<const std::uint8_t> bytes) { return DecodeJpeg(bytes, DecodingColours()); });
    readToEnd_ = true;
    if (orientation_ != ExifOrientation::TopLeft)
        grid = TurnUpright(*grid, orientation_);
    auto bitmap = std::make_shared<TBitmap>();
    bitmap->AdoptGrid(std::move(grid));
    decoded_ = std::move(bitmap);
    return *decoded_;
}

std::shared_ptr<PixelGrid> TJPEGImage::GreyPicture(std::int32_t minShortSide)
{
    std::shared_ptr<PixelGrid> grey =
        Decode([minShortSide](std::span<const std::uint8_t> bytes) { return DecodeJpegGrey(bytes, minShortSide); });
    readToEnd_ = true;
    return orientation_ == ExifOrientation::TopLeft ? grey : TurnUpright(*grey, orientation_);
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

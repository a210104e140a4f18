#include "picture/TJPEGImage.h"

#include "picture/PictureErrors.h"
#include "picture/PictureHeaders.h"
#include "picture/detail/BitmapAccess.h"
#include "picture/detail/JpegDecoder.h"
#include "picture/detail/PixelGrid.h"
#include "picture/detail/StretchCopy.h"
#include "picture/detail/UprightPicture.h"

#include <algorithm>
#include <climits>
#include <limits>

TJPEGImage::TJPEGImage(DisplayColorDepth displayDepth) : displayDepth_(displayDepth) { }

TJPEGImage::~TJPEGImage() = default;

std::unique_ptr<TGraphic> TJPEGImage::NewEmpty() const
{
    return std::make_unique<TJPEGImage>(displayDepth_);
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
    Changed();
}

template <class Decoding> auto TJPEGImage::Decode(Decoding decoding) const
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

bool TJPEGImage::SampledDrawFor(const TRect& rect, const TRect& region) const
{
    const std::int64_t width = std::int64_t{rect.Right} - rect.Left;
    const std::int64_t height = std::int64_t{rect.Bottom} - rect.Top;
    const std::int64_t regionWidth = std::int64_t{region.Right} - region.Left;
    const std::int64_t regionHeight = std::int64_t{region.Bottom} - region.Top;
    const bool regionInside = region.Left >= 0 && region.Top >= 0 && regionWidth > 0 && regionHeight > 0
                              && region.Right <= width_ && region.Bottom <= height_;
    // Only a rectangle no larger than the region, itself inside the image,
    // takes the sampled path, so its sides then fit 32 bits.
    const bool reduced = regionInside && width > 0 && height > 0 && width <= regionWidth && height <= regionHeight
                         && (width < width_ || height < height_);
    const bool sampledFits =
        sampled_ && sampled_->Width() == width && sampled_->Height() == height && sampledRegion_ == region;
    // After a second size or region, one full decoding serves every draw.
    return !decoded_ && !decodeError_ && reduced && (!sampled_ || sampledFits);
}

void TJPEGImage::DrawRegion(TCanvas& canvas, const TRect& rect, const TRect& region)
{
    if (rect.Right <= rect.Left || rect.Bottom <= rect.Top)
        return;
    if (!SampledDrawFor(rect, region)) {
        sampled_.reset();
        DecodedBitmap();
        decoded_->DrawRegion(canvas, rect, region);
        return;
    }
    if (!sampled_)
        DecodeSamples(rect, region, nullptr);
    PixelGrid* target = BitmapAccess::MutableGrid(canvas.Bitmap());
    if (target != nullptr)
        StretchCopy(*target, rect, *sampled_, TRect{0, 0, sampled_->Width(), sampled_->Height()});
}

std::shared_ptr<PixelGrid> TJPEGImage::DecodeSamples(const TRect& rect, const TRect& region,
                                                     const PictureSize* overviewSize)
{
    const PictureSize stored{storedWidth_, storedHeight_};
    std::vector<SamplingPlan> plans{PlanSampling(stored, orientation_, region, rect.Width(), rect.Height())};
    if (overviewSize != nullptr)
        plans.push_back(PlanSampling(stored, orientation_, TRect{0, 0, width_, height_}, overviewSize->Width,
                                     overviewSize->Height));
    std::vector<SampledGridPlan> grids;
    for (const SamplingPlan& plan : plans)
        grids.push_back({plan.Columns, plan.Rows});
    std::vector<std::shared_ptr<PixelGrid>> decoded = Decode(
        [&](std::span<const std::uint8_t> bytes) { return DecodeJpegSampledGrids(bytes, DecodingColors(), grids); });
    for (std::size_t i = 0; i < plans.size(); ++i) {
        if (plans[i].Transposed)
            decoded[i] = TurnUpright(*decoded[i], ExifOrientation::LeftTop); // the mirror across the diagonal
    }
    sampled_ = decoded[0];
    sampledRegion_ = region;
    return overviewSize != nullptr ? decoded[1] : nullptr;
}

std::unique_ptr<TBitmap> TJPEGImage::DrawRegionWithOverview(TCanvas& canvas, const TRect& rect, const TRect& region,
                                                            PictureSize overviewSize)
{
    const bool sampledPass = rect.Right > rect.Left && rect.Bottom > rect.Top && !sampled_
                             && SampledDrawFor(rect, region) && overviewSize.Width > 0 && overviewSize.Height > 0
                             && overviewSize.Width <= width_ && overviewSize.Height <= height_;
    auto overview = std::make_unique<TBitmap>(displayDepth_);
    if (!sampledPass) {
        DrawRegion(canvas, rect, region);
        // The same pixels from the whole decoding.
        const PixelGrid& whole = *BitmapAccess::Grid(DecodedBitmap());
        auto grid = std::make_shared<PixelGrid>(overviewSize.Width, overviewSize.Height, 32, GridForm::Own);
        StretchCopy(*grid, TRect{0, 0, overviewSize.Width, overviewSize.Height}, whole, TRect{0, 0, width_, height_});
        BitmapAccess::Adopt(*overview, std::move(grid));
        return overview;
    }
    BitmapAccess::Adopt(*overview, DecodeSamples(rect, region, &overviewSize));
    if (PixelGrid* target = BitmapAccess::MutableGrid(canvas.Bitmap()))
        StretchCopy(*target, rect, *sampled_, TRect{0, 0, sampled_->Width(), sampled_->Height()});
    return overview;
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
        Decode([this](std::span<const std::uint8_t> bytes) { return DecodeJpeg(bytes, DecodingColors()); });
    if (orientation_ != ExifOrientation::TopLeft)
        grid = TurnUpright(*grid, orientation_);
    auto bitmap = std::make_shared<TBitmap>(displayDepth_);
    BitmapAccess::Adopt(*bitmap, std::move(grid));
    decoded_ = std::move(bitmap);
    return *decoded_;
}

std::shared_ptr<const TBitmap> TJPEGImage::ScaledBitmap(int eighths) const
{
    if (eighths == kFullScaleEighths) {
        DecodedBitmap();
        return decoded_;
    }
    constexpr std::int32_t kWhole = std::numeric_limits<std::int32_t>::max();
    return ScaledBitmap(eighths, TRect{0, 0, kWhole, kWhole});
}

std::shared_ptr<const TBitmap> TJPEGImage::ScaledBitmap(int eighths, const TRect& storedRegion) const
{
    std::shared_ptr<PixelGrid> grid = Decode([eighths, &storedRegion](std::span<const std::uint8_t> bytes) {
        return DecodeJpegRegion(bytes, JpegColors::Rgb, eighths, storedRegion);
    });
    if (orientation_ != ExifOrientation::TopLeft)
        grid = TurnUpright(*grid, orientation_);
    auto bitmap = std::make_shared<TBitmap>(displayDepth_);
    BitmapAccess::Adopt(*bitmap, std::move(grid));
    return bitmap;
}

JpegColors TJPEGImage::DecodingColors() const
{
    return displayDepth_.HasPalette() ? JpegColors::Quantised : JpegColors::Full;
}

#include "picture/detail/PixelGrid.h"

#include "picture/DisplayColorDepth.h"
#include "picture/PictureErrors.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace {

std::uint16_t Load16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

void Store16(std::uint8_t* p, std::uint16_t value)
{
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint32_t Load32(const std::uint8_t* p)
{
    std::uint32_t value;
    std::memcpy(&value, p, 4);
    return value;
}

void Store32(std::uint8_t* p, std::uint32_t value)
{
    std::memcpy(p, &value, 4);
}

// 5-bit channel to 8 bits, to the nearest level: 31 gives 255.
constexpr std::uint32_t Expand5(std::uint32_t v)
{
    return (v * 255 + 15) / 31;
}

} // namespace

std::uint64_t PixelGrid::RowBytesFor(std::int64_t width, int bitsPerPixel)
{
    return (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bitsPerPixel) + 31) / 32 * 4;
}

void PixelGrid::CheckSize(std::int64_t width, std::int64_t height, int bitsPerPixel)
{
    // Widths beyond 2^31 cannot occur (the sizes are 32-bit), so the products
    // below stay far inside 64 bits.
    if (width < 0 || height < 0 || width > std::numeric_limits<std::int32_t>::max()
        || height > std::numeric_limits<std::int32_t>::max())
        throw EOutOfResources(kOutOfResourcesMessage);
    if (RowBytesFor(width, bitsPerPixel) * static_cast<std::uint64_t>(height) > kMaxGridBytes)
        throw EOutOfResources(kOutOfResourcesMessage);
}

PixelGrid::PixelGrid(std::int32_t width, std::int32_t height, int bitsPerPixel, GridForm form)
    : width_(width), height_(height), bitsPerPixel_(bitsPerPixel), rowBytes_(0), form_(form)
{
    CheckSize(width, height, bitsPerPixel);
    rowBytes_ = static_cast<std::size_t>(RowBytesFor(width, bitsPerPixel));
    buffer_ = PixelBuffer(rowBytes_ * static_cast<std::size_t>(height));
    ChooseLayout();
}

void PixelGrid::ChooseLayout()
{
    switch (bitsPerPixel_) {
    case 1:
        layout_ = PixelLayout::Indexed1;
        break;
    case 4:
        layout_ = PixelLayout::Indexed4;
        break;
    case 8:
        layout_ = PixelLayout::Indexed8;
        break;
    case 16:
        layout_ = hasBitFields_ && !(fields_ == BitFields{0x7C00, 0x03E0, 0x001F}) ? PixelLayout::Masked16
                                                                                   : PixelLayout::Rgb555;
        break;
    case 24:
        layout_ = PixelLayout::Bgr24;
        break;
    default:
        layout_ = hasBitFields_ && !(fields_ == BitFields{0xFF0000, 0x00FF00, 0x0000FF}) ? PixelLayout::Masked32
                                                                                         : PixelLayout::Bgrx32;
        break;
    }
}

void PixelGrid::SetColorTable(std::vector<TColor> table)
{
    colorTable_ = std::move(table);
    if (colorTable_.size() > 256)
        colorTable_.resize(256);
    paletteRgb_.fill(0);
    for (std::size_t i = 0; i < colorTable_.size(); ++i)
        paletteRgb_[i] = SwapRedBlue(static_cast<std::uint32_t>(colorTable_[i])) & 0xFFFFFF;
    lastNearestRgb_ = 0xFFFFFFFF;
}

void PixelGrid::SetBitFields(const BitFields& fields)
{
    hasBitFields_ = true;
    fields_ = fields;
    const std::uint32_t masks[3] = {fields.Red, fields.Green, fields.Blue};
    for (int i = 0; i < 3; ++i) {
        Channel& channel = channels_[static_cast<std::size_t>(i)];
        channel.mask = masks[i];
        channel.shift = masks[i] == 0 ? 0 : std::countr_zero(masks[i]);
        channel.bits = masks[i] == 0 ? 0 : static_cast<int>(std::bit_width(masks[i] >> channel.shift));
    }
    ChooseLayout();
}

std::uint32_t PixelGrid::DecodeMasked(std::uint32_t word) const
{
    std::uint32_t rgb = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        const Channel& channel = channels_[i];
        std::uint32_t value = 0;
        const std::uint64_t raw = (word & channel.mask) >> channel.shift;
        if (channel.bits != 0) {
            // Scaled to the nearest of 256 levels, whatever the width.
            const std::uint64_t max = (std::uint64_t{1} << channel.bits) - 1;
            value = static_cast<std::uint32_t>((raw * 255 + max / 2) / max);
        }
        rgb = (rgb << 8) | value;
    }
    return rgb;
}

std::uint32_t PixelGrid::EncodeMasked(std::uint32_t rgb) const
{
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        const Channel& channel = channels_[i];
        if (channel.bits == 0)
            continue;
        const std::uint64_t value = (rgb >> (16 - 8 * i)) & 0xFF;
        const std::uint64_t max = (std::uint64_t{1} << channel.bits) - 1;
        const std::uint64_t raw = (value * max + 127) / 255;
        word |= static_cast<std::uint32_t>(raw << channel.shift) & channel.mask;
    }
    return word;
}

std::uint8_t PixelGrid::NearestIndex(std::uint32_t rgb) const
{
    if (rgb == lastNearestRgb_)
        return lastNearestIndex_;
    std::size_t best = 0;
    std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
    for (std::size_t i = 0; i < colorTable_.size(); ++i) {
        const std::uint32_t entry = paletteRgb_[i];
        const std::int64_t dr = static_cast<std::int64_t>((entry >> 16) & 0xFF) - ((rgb >> 16) & 0xFF);
        const std::int64_t dg = static_cast<std::int64_t>((entry >> 8) & 0xFF) - ((rgb >> 8) & 0xFF);
        const std::int64_t db = static_cast<std::int64_t>(entry & 0xFF) - (rgb & 0xFF);
        const std::int64_t distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
            if (distance == 0)
                break;
        }
    }
    lastNearestRgb_ = rgb;
    lastNearestIndex_ = static_cast<std::uint8_t>(best);
    return lastNearestIndex_;
}

std::uint32_t PixelGrid::GetRgb32(std::int32_t x, std::int32_t y) const
{
    const std::uint8_t* row = Row(y);
    const auto ux = static_cast<std::size_t>(x);
    switch (layout_) {
    case PixelLayout::Bgrx32:
        return Load32(row + ux * 4) & 0xFFFFFF;
    case PixelLayout::Bgr24: {
        const std::uint8_t* p = row + ux * 3;
        return p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
    }
    case PixelLayout::Indexed8:
        return paletteRgb_[row[ux]];
    case PixelLayout::Rgb555: {
        const std::uint32_t word = Load16(row + ux * 2);
        return (Expand5((word >> 10) & 31) << 16) | (Expand5((word >> 5) & 31) << 8) | Expand5(word & 31);
    }
    case PixelLayout::Indexed4:
        return paletteRgb_[(row[ux / 2] >> ((ux & 1) ? 0 : 4)) & 15];
    case PixelLayout::Indexed1:
        return paletteRgb_[(row[ux / 8] >> (7 - (ux & 7))) & 1];
    case PixelLayout::Masked16:
        return DecodeMasked(Load16(row + ux * 2));
    case PixelLayout::Masked32:
        return DecodeMasked(Load32(row + ux * 4));
    }
    return 0;
}

void PixelGrid::SetRgb32(std::int32_t x, std::int32_t y, std::uint32_t rgb)
{
    rgb &= 0xFFFFFF;
    std::uint8_t* row = Row(y);
    const auto ux = static_cast<std::size_t>(x);
    switch (layout_) {
    case PixelLayout::Bgrx32:
        Store32(row + ux * 4, rgb);
        return;
    case PixelLayout::Bgr24: {
        std::uint8_t* p = row + ux * 3;
        p[0] = static_cast<std::uint8_t>(rgb);
        p[1] = static_cast<std::uint8_t>(rgb >> 8);
        p[2] = static_cast<std::uint8_t>(rgb >> 16);
        return;
    }
    case PixelLayout::Indexed8:
        row[ux] = NearestIndex(rgb);
        return;
    case PixelLayout::Rgb555:
        Store16(row + ux * 2,
                static_cast<std::uint16_t>(((rgb >> 9) & 0x7C00) | ((rgb >> 6) & 0x03E0) | ((rgb >> 3) & 0x001F)));
        return;
    case PixelLayout::Indexed4: {
        const int shift = (ux & 1) ? 0 : 4;
        std::uint8_t& byte = row[ux / 2];
        byte = static_cast<std::uint8_t>((byte & ~(15 << shift)) | ((NearestIndex(rgb) & 15) << shift));
        return;
    }
    case PixelLayout::Indexed1: {
        const int shift = 7 - static_cast<int>(ux & 7);
        std::uint8_t& byte = row[ux / 8];
        byte = static_cast<std::uint8_t>((byte & ~(1 << shift)) | ((NearestIndex(rgb) & 1) << shift));
        return;
    }
    case PixelLayout::Masked16:
        Store16(row + ux * 2, static_cast<std::uint16_t>(EncodeMasked(rgb)));
        return;
    case PixelLayout::Masked32:
        Store32(row + ux * 4, EncodeMasked(rgb));
        return;
    }
}

void PixelGrid::ReadRowRgb32(std::int32_t y, std::uint32_t* out) const
{
    const std::uint8_t* row = Row(y);
    switch (layout_) {
    case PixelLayout::Bgrx32:
        for (std::int32_t x = 0; x < width_; ++x)
            out[x] = Load32(row + static_cast<std::size_t>(x) * 4) & 0xFFFFFF;
        return;
    case PixelLayout::Bgr24:
        for (std::int32_t x = 0; x < width_; ++x) {
            const std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
            out[x] = p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
        }
        return;
    case PixelLayout::Indexed8:
        for (std::int32_t x = 0; x < width_; ++x)
            out[x] = paletteRgb_[row[x]];
        return;
    default:
        for (std::int32_t x = 0; x < width_; ++x)
            out[x] = GetRgb32(x, y);
        return;
    }
}

void PixelGrid::Fill(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom, TColor color)
{
    if (left >= right || top >= bottom)
        return;
    const std::uint32_t rgb = SwapRedBlue(static_cast<std::uint32_t>(color)) & 0xFFFFFF;
    const auto count = static_cast<std::size_t>(right - left);
    const auto start = static_cast<std::size_t>(left);
    for (std::int32_t y = top; y < bottom; ++y) {
        std::uint8_t* row = Row(y);
        switch (layout_) {
        case PixelLayout::Bgrx32:
            for (std::size_t i = 0; i < count; ++i)
                Store32(row + (start + i) * 4, rgb);
            break;
        case PixelLayout::Bgr24:
            if (rgb == 0xFFFFFF) {
                std::memset(row + start * 3, 0xFF, count * 3);
                break;
            }
            for (std::int32_t x = left; x < right; ++x)
                SetRgb32(x, y, rgb);
            break;
        case PixelLayout::Indexed8:
            std::memset(row + start, NearestIndex(rgb), count);
            break;
        default:
            for (std::int32_t x = left; x < right; ++x)
                SetRgb32(x, y, rgb);
            break;
        }
    }
}

std::shared_ptr<PixelGrid> PixelGrid::Clone() const
{
    auto copy = std::make_shared<PixelGrid>(width_, height_, bitsPerPixel_, form_);
    copy->SetColorTable(colorTable_);
    if (hasBitFields_)
        copy->SetBitFields(fields_);
    std::memcpy(copy->Data(), Data(), ByteSize());
    return copy;
}

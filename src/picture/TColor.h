#pragma once

#include <cstdint>

// A colour value: 0x00BBGGRR, red in the lowest byte. A negative value would
// name a system colour; the picture component never produces one except as
// the "outside the surface" answer of TCanvas::GetPixel (0xFFFFFFFF).
using TColor = std::int32_t;

constexpr TColor clWhite = 0x00FFFFFF;
constexpr TColor clBlack = 0x00000000;
constexpr TColor clNone = static_cast<TColor>(0xFFFFFFFF);

constexpr std::uint8_t GetRValue(TColor color)
{
    return static_cast<std::uint8_t>(color);
}
constexpr std::uint8_t GetGValue(TColor color)
{
    return static_cast<std::uint8_t>(color >> 8);
}
constexpr std::uint8_t GetBValue(TColor color)
{
    return static_cast<std::uint8_t>(color >> 16);
}
constexpr TColor RGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return static_cast<TColor>(red | (green << 8) | (blue << 16));
}

// A rectangle in pixel coordinates; Right and Bottom are exclusive, so the
// width is Right - Left and the height Bottom - Top.
struct TRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;

    // Computed with wrap-around, so that no pair of sides is undefined
    // behaviour; code that must not wrap works in 64 bits from the sides.
    std::int32_t Width() const
    {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(Right) - static_cast<std::uint32_t>(Left));
    }
    std::int32_t Height() const
    {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(Bottom) - static_cast<std::uint32_t>(Top));
    }
    bool operator==(const TRect&) const = default;
};

#pragma once
// EXIF payloads made byte by byte, and JPEG files that carry them.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

// An EXIF payload holding one orientation tag in the directory `ifd` (0 the
// photo's, 1 the thumbnail's), in Intel or Motorola byte order.
inline std::vector<std::uint8_t> ExifPayload(int orientation, int ifd = 0, bool motorola = false)
{
    auto put16 = [motorola](std::vector<std::uint8_t>& out, unsigned v) {
        const std::uint8_t hi = static_cast<std::uint8_t>(v >> 8), lo = static_cast<std::uint8_t>(v);
        out.insert(out.end(), motorola ? std::initializer_list<std::uint8_t>{hi, lo}
                                       : std::initializer_list<std::uint8_t>{lo, hi});
    };
    auto put32 = [&](std::vector<std::uint8_t>& out, unsigned v) {
        put16(out, motorola ? v >> 16 : v & 0xFFFF);
        put16(out, motorola ? v & 0xFFFF : v >> 16);
    };
    std::vector<std::uint8_t> out{'E', 'x', 'i', 'f', 0, 0};
    out.insert(out.end(), motorola ? std::initializer_list<std::uint8_t>{'M', 'M'}
                                   : std::initializer_list<std::uint8_t>{'I', 'I'});
    put16(out, 42);
    put32(out, 8);
    // IFD0 (empty when the tag goes to IFD1, which then follows it).
    put16(out, ifd == 0 ? 1 : 0);
    if (ifd == 0) {
        put16(out, 0x0112), put16(out, 3), put32(out, 1), put16(out, static_cast<unsigned>(orientation)), put16(out, 0);
        put32(out, 0);
    } else {
        put32(out, 8 + 2 + 4);
        put16(out, 1), put16(out, 0x0112), put16(out, 3), put32(out, 1), put16(out, static_cast<unsigned>(orientation)),
            put16(out, 0), put32(out, 0);
    }
    return out;
}

// `jpeg` with an APP1 segment holding `payload` right after its start marker.
inline std::vector<std::uint8_t> WithApp1(const std::vector<std::uint8_t>& jpeg,
                                          const std::vector<std::uint8_t>& payload)
{
    std::vector<std::uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
    const std::size_t length = payload.size() + 2;
    out.insert(out.end(), {0xFF, 0xE1, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)});
    out.insert(out.end(), payload.begin(), payload.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

#pragma once
// The segments of a JPEG file up to its first scan, read byte by byte
// without libjpeg: which markers a file holds and what its frame header says.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

struct JpegSegment {
    std::uint8_t Marker = 0; // the byte after 0xFF: 0xC0 baseline frame, 0xE0 APP0, 0xE1 APP1, 0xFE comment …
    std::vector<std::uint8_t> Payload;
};

// The segments from the start-of-image marker to the start of the first scan
// (that one included, without its data); empty when the bytes do not start
// as a JPEG file or end inside a segment.
inline std::vector<JpegSegment> SegmentsBeforeScan(std::span<const std::uint8_t> file)
{
    std::vector<JpegSegment> segments;
    if (file.size() < 2 || file[0] != 0xFF || file[1] != 0xD8)
        return {};
    std::size_t at = 2;
    while (at + 4 <= file.size() && file[at] == 0xFF) {
        const std::uint8_t marker = file[at + 1];
        const std::size_t length = std::size_t{file[at + 2]} << 8 | file[at + 3];
        if (length < 2 || at + 2 + length > file.size())
            return {};
        segments.push_back({marker,
                            {file.begin() + static_cast<std::ptrdiff_t>(at + 4),
                             file.begin() + static_cast<std::ptrdiff_t>(at + 2 + length)}});
        if (marker == 0xDA)
            return segments;
        at += 2 + length;
    }
    return {};
}

// What a frame header says: its marker (0xC0 for baseline), the size and,
// for each component, its sampling factors as one byte (0x22: two across,
// two down).
struct JpegFrame {
    std::uint8_t Marker = 0;
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Sampling;
};

inline std::optional<JpegFrame> FrameOf(std::span<const std::uint8_t> file)
{
    for (const JpegSegment& segment : SegmentsBeforeScan(file)) {
        const bool frame = segment.Marker >= 0xC0 && segment.Marker <= 0xCF && segment.Marker != 0xC4
                           && segment.Marker != 0xC8 && segment.Marker != 0xCC;
        if (!frame || segment.Payload.size() < 6)
            continue;
        const std::vector<std::uint8_t>& p = segment.Payload;
        JpegFrame result{segment.Marker, p[3] << 8 | p[4], p[1] << 8 | p[2], {}};
        const std::size_t components = p[5];
        if (p.size() < 6 + 3 * components)
            return std::nullopt;
        for (std::size_t c = 0; c < components; ++c)
            result.Sampling.push_back(p[6 + 3 * c + 1]);
        return result;
    }
    return std::nullopt;
}

// The markers of the segments before the scan, in order.
inline std::vector<std::uint8_t> MarkersOf(std::span<const std::uint8_t> file)
{
    std::vector<std::uint8_t> markers;
    for (const JpegSegment& segment : SegmentsBeforeScan(file))
        markers.push_back(segment.Marker);
    return markers;
}

#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

// Reads little-endian values from a byte span and never past its end: every
// read first asks whether the bytes are there and reports false (leaving the
// position alone) when they are not.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) { }

    std::size_t Position() const { return position_; }
    std::size_t Remaining() const { return bytes_.size() - position_; }
    bool Has(std::uint64_t count) const { return count <= Remaining(); }

    bool Skip(std::uint64_t count)
    {
        if (!Has(count))
            return false;
        position_ += static_cast<std::size_t>(count);
        return true;
    }
    bool U8(std::uint8_t& value)
    {
        if (!Has(1))
            return false;
        value = bytes_[position_++];
        return true;
    }
    bool U16(std::uint16_t& value)
    {
        if (!Has(2))
            return false;
        value = static_cast<std::uint16_t>(bytes_[position_] | (bytes_[position_ + 1] << 8));
        position_ += 2;
        return true;
    }
    bool U32(std::uint32_t& value)
    {
        if (!Has(4))
            return false;
        value = static_cast<std::uint32_t>(bytes_[position_]) | (static_cast<std::uint32_t>(bytes_[position_ + 1]) << 8)
                | (static_cast<std::uint32_t>(bytes_[position_ + 2]) << 16)
                | (static_cast<std::uint32_t>(bytes_[position_ + 3]) << 24);
        position_ += 4;
        return true;
    }
    // The next `count` bytes without moving; empty when they are not all there.
    std::span<const std::uint8_t> Peek(std::uint64_t count) const
    {
        if (!Has(count))
            return {};
        return bytes_.subspan(position_, static_cast<std::size_t>(count));
    }
    // The next `count` bytes, or as many as remain, moving past them.
    std::span<const std::uint8_t> TakeUpTo(std::uint64_t count)
    {
        const auto taken = static_cast<std::size_t>(std::min<std::uint64_t>(count, Remaining()));
        const std::span<const std::uint8_t> bytes = bytes_.subspan(position_, taken);
        position_ += taken;
        return bytes;
    }
    // The rest of the data from the current position.
    std::span<const std::uint8_t> Rest() const { return bytes_.subspan(position_); }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

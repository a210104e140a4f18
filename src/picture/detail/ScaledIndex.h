#pragma once

#include <cassert>
#include <cstdint>

// Nearest-neighbour scaling of `sourceSize` pixels onto `destSize`: the
// source pixel that destination offset `offset` (counted from the start of
// the destination span) takes, offset * sourceSize / destSize truncated.
//
// Spans are differences of two 32-bit coordinates, so both sizes lie in
// [1, 2^32 - 1] and the offset in [0, destSize). The product then reaches
// almost 2^64: past signed 64-bit arithmetic, inside unsigned, where it is
// exact without any wider type.
constexpr std::int64_t ScaledIndex(std::int64_t offset, std::int64_t sourceSize, std::int64_t destSize)
{
    assert(destSize > 0 && destSize <= INT64_C(0xFFFFFFFF));
    assert(sourceSize > 0 && sourceSize <= INT64_C(0xFFFFFFFF));
    assert(offset >= 0 && offset < destSize);
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(offset) * static_cast<std::uint64_t>(sourceSize)
                                     / static_cast<std::uint64_t>(destSize));
}

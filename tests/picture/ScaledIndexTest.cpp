// The index rule of nearest-neighbour scaling, exact over every span two
// 32-bit coordinates can make.
#include "picture/detail/ScaledIndex.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(ScaledIndex, IsTheExactTruncatedQuotientAtTheEdgesOfTheRange)
{
    const std::int64_t sizes[] = {1,     2,     3,          7,          120,        180,        4000,
                                  65535, 65536, 0x7FFFFFFF, 0x80000000, 0x80000001, 0xFFFFFFFE, 0xFFFFFFFF};
    for (std::int64_t dest : sizes) {
        for (std::int64_t source : sizes) {
            for (std::int64_t offset : {std::int64_t{0}, std::int64_t{1}, dest / 3, dest / 2, dest - 2, dest - 1}) {
                if (offset < 0 || offset >= dest)
                    continue;
                // q is the truncated quotient when q < source and
                // q * dest <= offset * source < q * dest + dest; with
                // q < source every product fits in unsigned 64 bits.
                const std::int64_t q = ScaledIndex(offset, source, dest);
                const std::uint64_t product = std::uint64_t(offset) * std::uint64_t(source);
                const bool exact = q >= 0 && q < source && std::uint64_t(q) * std::uint64_t(dest) <= product
                                   && product - std::uint64_t(q) * std::uint64_t(dest) < std::uint64_t(dest);
                EXPECT_TRUE(exact) << offset << " * " << source << " / " << dest << " gave " << q;
            }
        }
    }
    // By hand: the product here is past 2^63 and past what a double holds.
    EXPECT_EQ(ScaledIndex(0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFF), 0xFFFFFFFE);
    EXPECT_EQ(ScaledIndex(0xFFFFFFFE, 0xFFFFFFFE, 0xFFFFFFFF), 0xFFFFFFFD);
    EXPECT_EQ(ScaledIndex(119, 4000, 120), 3966);
}

} // namespace

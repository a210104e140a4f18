// The index rule of nearest-neighbour scaling, exact over every span two
// 32-bit coordinates can make.
#include "common/picture/ScaledIndex.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

namespace {

// Checks that q is offset * source / dest truncated by the definition of the
// quotient: q < source, q * dest <= offset * source < q * dest + dest. With
// q < source every product stays below 2^64, so unsigned 64 bits hold them
// exactly.
::testing::AssertionResult IsTruncatedQuotient(std::int64_t q, std::int64_t offset, std::int64_t source,
                                                std::int64_t dest)
{
    const auto o = static_cast<std::uint64_t>(offset);
    const auto s = static_cast<std::uint64_t>(source);
    const auto d = static_cast<std::uint64_t>(dest);
    if (q >= 0 && static_cast<std::uint64_t>(q) < s) {
        const std::uint64_t floor = static_cast<std::uint64_t>(q) * d;
        if (floor <= o * s && o * s - floor < d)
            return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << offset << " * " << source << " / " << dest << " gave " << q;
}

TEST(ScaledIndex, IsTheExactTruncatedQuotientAtTheEdgesOfTheRange)
{
    const std::vector<std::int64_t> sizes{1, 2, 3, 7, 120, 180, 4000, 65535, 65536, 0x7FFFFFFF, 0x80000000,
                                          0x80000001, 0xFFFFFFFE, 0xFFFFFFFF};
    for (std::int64_t dest : sizes) {
        for (std::int64_t source : sizes) {
            for (std::int64_t offset : {std::int64_t{0}, std::int64_t{1}, dest / 3, dest / 2, dest - 2, dest - 1}) {
                if (offset < 0 || offset >= dest)
                    continue;
                EXPECT_TRUE(IsTruncatedQuotient(ScaledIndex(offset, source, dest), offset, source, dest));
            }
        }
    }

    // Worked by hand: (2^32 - 2)(2^32 - 1) / (2^32 - 1) is 2^32 - 2, though
    // the product is past 2^63 and past what a double holds exactly.
    for (auto [offset, source, dest, index] :
         {std::tuple<std::int64_t, std::int64_t, std::int64_t, std::int64_t>{0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFF,
                                                                            0xFFFFFFFE},
          {0xFFFFFFFE, 0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFD}, {1, 0xFFFFFFFF, 2, 0x7FFFFFFF},
          {119, 4000, 120, 3966}, {179, 3000, 180, 2983}, {3, 2, 4, 1}})
        EXPECT_EQ(ScaledIndex(offset, source, dest), index) << offset << " * " << source << " / " << dest;
}

} // namespace

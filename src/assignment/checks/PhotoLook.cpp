#include "assignment/checks/PhotoLook.h"

#include "assignment/checks/PhotoPixels.h"
#include "picture/TBitmap.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <vector>

namespace {

constexpr int kSide = PhotoLook::kSide;
constexpr std::size_t kCells = PhotoLook::kCells;
// Each grey level is the mean of 4 x 4 samples of the picture: a nearest-
// neighbour sample alone would be one pixel, which another size of the same
// picture does not have.
constexpr int kSamplesPerSide = 4 * kSide;
constexpr int kFrequencies = 8;
constexpr std::size_t kCoefficients = std::size_t{kFrequencies} * kFrequencies;

// Apart by at most this many of 64 bits and this mean grey difference: a
// photo saved again at a quarter of its size and quality 50 stays within
// about half of each, two portraits before one backdrop lie well outside
// both (tests/assignment/PhotoLookTest.cpp).
constexpr int kMaxHashBits = 10;
constexpr double kMaxGreyDifference = 10.0;
// The standard deviation of the grey levels below which a picture is flat.
constexpr double kFlatContrast = 3.0;

std::array<std::uint8_t, kCells> GreyLevels(const TBitmap& sample)
{
    std::array<int, kCells> sums{};
    std::vector<std::uint32_t> row(static_cast<std::size_t>(sample.Width()));
    for (std::int32_t y = 0; y < sample.Height(); ++y) {
        sample.ReadRowRGB32(y, row.data());
        for (std::int32_t x = 0; x < sample.Width(); ++x) {
            const std::uint32_t p = row[static_cast<std::size_t>(x)];
            const int grey = (77 * static_cast<int>((p >> 16) & 0xFF) + 150 * static_cast<int>((p >> 8) & 0xFF)
                              + 29 * static_cast<int>(p & 0xFF) + 128)
                             >> 8;
            const int cell = (y * kSide / sample.Height()) * kSide + x * kSide / sample.Width();
            sums[static_cast<std::size_t>(cell)] += grey;
        }
    }
    const int perCell = (sample.Width() / kSide) * (sample.Height() / kSide);
    std::array<std::uint8_t, kCells> grey{};
    for (std::size_t i = 0; i < grey.size(); ++i)
        grey[i] = static_cast<std::uint8_t>((sums[i] + perCell / 2) / perCell);
    return grey;
}

std::uint64_t LowFrequencyHash(const std::array<std::uint8_t, kCells>& grey)
{
    // The cosine transform's basis at the lowest frequencies only.
    double basis[kFrequencies][kSide];
    for (int u = 0; u < kFrequencies; ++u) {
        for (int x = 0; x < kSide; ++x)
            basis[u][x] = std::cos(std::numbers::pi * (2 * x + 1) * u / (2.0 * kSide));
    }
    double rows[kSide][kFrequencies] = {};
    for (int y = 0; y < kSide; ++y) {
        for (int u = 0; u < kFrequencies; ++u) {
            for (int x = 0; x < kSide; ++x) {
                const int cell = y * kSide + x;
                rows[y][u] += basis[u][x] * grey[static_cast<std::size_t>(cell)];
            }
        }
    }
    std::array<double, kCoefficients> coefficients{};
    for (int v = 0; v < kFrequencies; ++v) {
        for (int u = 0; u < kFrequencies; ++u) {
            const int coefficient = v * kFrequencies + u;
            for (int y = 0; y < kSide; ++y)
                coefficients[static_cast<std::size_t>(coefficient)] += basis[v][y] * rows[y][u];
        }
    }
    // The median of all but the mean brightness, which would stand out.
    std::array<double, kCoefficients - 1> rest{};
    std::copy(coefficients.begin() + 1, coefficients.end(), rest.begin());
    std::nth_element(rest.begin(), rest.begin() + rest.size() / 2, rest.end());
    const double median = rest[rest.size() / 2];
    std::uint64_t hash = 0;
    for (std::size_t i = 1; i < coefficients.size(); ++i) {
        if (coefficients[i] > median)
            hash |= std::uint64_t{1} << i;
    }
    return hash;
}

double Contrast(const std::array<std::uint8_t, kCells>& grey)
{
    double sum = 0;
    double squares = 0;
    for (const std::uint8_t level : grey) {
        sum += level;
        squares += static_cast<double>(level) * level;
    }
    const auto cells = static_cast<double>(grey.size());
    const double mean = sum / cells;
    return std::sqrt(std::max(0.0, squares / cells - mean * mean));
}

} // namespace

PhotoLook LookOf(PhotoPixels& photo)
{
    const std::unique_ptr<TBitmap> sample = photo.Sample({kSamplesPerSide, kSamplesPerSide});
    PhotoLook look;
    look.grey = GreyLevels(*sample);
    look.hash = LowFrequencyHash(look.grey);
    look.flat = Contrast(look.grey) < kFlatContrast;
    return look;
}

LookDistance DistanceOf(const PhotoLook& a, const PhotoLook& b)
{
    LookDistance distance;
    distance.hashBits = std::popcount(a.hash ^ b.hash);
    int sum = 0;
    for (std::size_t i = 0; i < a.grey.size(); ++i)
        sum += std::abs(static_cast<int>(a.grey[i]) - static_cast<int>(b.grey[i]));
    distance.grey = static_cast<double>(sum) / static_cast<double>(a.grey.size());
    return distance;
}

bool SamePicture(const PhotoLook& a, const PhotoLook& b)
{
    // The hashes first: they tell nearly every pair apart at once.
    if (a.flat != b.flat || (!a.flat && std::popcount(a.hash ^ b.hash) > kMaxHashBits))
        return false;
    return DistanceOf(a, b).grey <= kMaxGreyDifference;
}

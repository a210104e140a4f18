#include "picture/detail/PixelBuffer.h"

#include "picture/PictureErrors.h"

#include <utility>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this a grid gains nothing from huge pages.
constexpr std::size_t kHugePageThreshold = std::size_t{4} << 20;

std::size_t RoundUp(std::size_t value, std::size_t multiple)
{
    return (value + multiple - 1) / multiple * multiple;
}

// Only a hint: where the system has no huge pages (or no such call) the
// memory works the same.
void AdviseHugePages([[maybe_unused]] void* data, [[maybe_unused]] std::size_t size)
{
#ifdef MADV_HUGEPAGE
    madvise(data, size, MADV_HUGEPAGE);
#endif
}

} // namespace

PixelBuffer::PixelBuffer(std::size_t size)
{
    if (size == 0)
        return;
    const bool large = size >= kHugePageThreshold;
    // Room to start at a huge page and to end on one, so that the advice
    // covers the whole grid and stays inside the block.
    const std::size_t pages = large ? RoundUp(size, kHugePage) : size;
    block_.reset(std::calloc(large ? pages + kHugePage : size, 1));
    if (!block_)
        throw EOutOfResources(kOutOfResourcesMessage);
    data_ = static_cast<std::uint8_t*>(block_.get());
    if (large) {
        const auto address = reinterpret_cast<std::uintptr_t>(data_);
        data_ += RoundUp(address, kHugePage) - address;
        AdviseHugePages(data_, pages);
    }
}

PixelBuffer::PixelBuffer(PixelBuffer&& other) noexcept
    : block_(std::move(other.block_)), data_(std::exchange(other.data_, nullptr))
{
}

PixelBuffer& PixelBuffer::operator=(PixelBuffer&& other) noexcept
{
    block_ = std::move(other.block_);
    data_ = std::exchange(other.data_, nullptr);
    return *this;
}

#include "common/picture/PixelBuffer.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>
#include <utility>

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this the heap is as cheap as a mapping and keeps small grids dense.
constexpr std::size_t kMappingThreshold = std::size_t{4} << 20;

std::size_t RoundUp(std::size_t value, std::size_t multiple)
{
    return (value + multiple - 1) / multiple * multiple;
}

} // namespace

PixelBuffer::PixelBuffer(std::size_t size)
    : size_(size)
{
    if (size == 0)
        return;
    if (size < kMappingThreshold) {
        data_ = static_cast<std::uint8_t*>(std::calloc(size, 1));
        if (data_ == nullptr)
            throw std::bad_alloc();
        return;
    }
    // Map one huge page more than needed so that an aligned start can be cut
    // out of it, then give back the unaligned ends.
    const std::size_t wanted = RoundUp(size, kHugePage);
    const std::size_t mapped = wanted + kHugePage;
    void* raw = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        throw std::bad_alloc();
    auto* base = static_cast<std::uint8_t*>(raw);
    const auto address = reinterpret_cast<std::uintptr_t>(base);
    const std::size_t lead = RoundUp(address, kHugePage) - address;
    if (lead != 0)
        munmap(base, lead);
    const std::size_t trail = mapped - lead - wanted;
    if (trail != 0)
        munmap(base + lead + wanted, trail);
    data_ = base + lead;
    mappedSize_ = wanted;
    // Only advice: without transparent huge pages the mapping still works.
    madvise(data_, wanted, MADV_HUGEPAGE);
}

PixelBuffer::PixelBuffer(PixelBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr))
    , size_(std::exchange(other.size_, 0))
    , mappedSize_(std::exchange(other.mappedSize_, 0))
{
}

PixelBuffer& PixelBuffer::operator=(PixelBuffer&& other) noexcept
{
    if (this != &other) {
        Release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        mappedSize_ = std::exchange(other.mappedSize_, 0);
    }
    return *this;
}

PixelBuffer::~PixelBuffer()
{
    Release();
}

void PixelBuffer::Release() noexcept
{
    if (data_ == nullptr)
        return;
    if (mappedSize_ != 0)
        munmap(data_, mappedSize_);
    else
        std::free(data_);
    data_ = nullptr;
    size_ = 0;
    mappedSize_ = 0;
}

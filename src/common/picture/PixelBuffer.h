#pragma once

#include <cstddef>
#include <cstdint>

// The memory of one pixel grid. Large buffers come straight from the kernel
// as 2 MiB-aligned anonymous memory marked for transparent huge pages: a
// 12-megapixel photo then costs a few dozen page faults instead of nine
// thousand, which is most of what a fresh 36 MB grid would otherwise add to a
// decode. Small buffers use the ordinary heap. The contents start zeroed.
class PixelBuffer {
public:
    PixelBuffer() = default;
    explicit PixelBuffer(std::size_t size);
    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;
    PixelBuffer(PixelBuffer&& other) noexcept;
    PixelBuffer& operator=(PixelBuffer&& other) noexcept;
    ~PixelBuffer();

    std::uint8_t* Data() { return data_; }
    const std::uint8_t* Data() const { return data_; }
    std::size_t Size() const { return size_; }

private:
    void Release() noexcept;

    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t mappedSize_ = 0;   // non-zero when the memory is a mapping
};

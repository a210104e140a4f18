#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

// The memory of one pixel grid, from the C heap, zeroed: colour table index
// 0 or black wherever nothing has been written yet, as a BMP file cut short
// relies on. calloc rather than new plus a fill, because for a grid the size
// of a photo the heap takes fresh pages from the system, which arrive zeroed:
// nothing is written twice and untouched pages cost nothing.
class PixelBuffer {
public:
    PixelBuffer() = default;
    // EOutOfResources when the memory cannot be had.
    explicit PixelBuffer(std::size_t size);

    std::uint8_t* Data() { return data_.get(); }
    const std::uint8_t* Data() const { return data_.get(); }

private:
    struct Free {
        void operator()(std::uint8_t* data) const { std::free(data); }
    };
    std::unique_ptr<std::uint8_t, Free> data_;
};

#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

// The memory of one pixel grid, zeroed: colour table index 0 or black
// wherever nothing has been written yet, as a BMP file cut short relies on.
// It comes from calloc, which takes large blocks fresh from the system: they
// arrive zeroed and cost nothing until touched, so a file that announces a
// huge grid but fills one row of it stays cheap. A grid the size of a photo
// starts 2 MiB-aligned inside its block and is marked for huge pages where the
// system offers them: on a virtual machine the 9,000 ordinary page faults of a
// fresh 36 MB grid cost more than decoding the photo (230 ms against 2.5 ms
// with huge pages, measured here).
class PixelBuffer {
public:
    PixelBuffer() = default;
    // EOutOfResources when the memory cannot be had.
    explicit PixelBuffer(std::size_t size);
    PixelBuffer(PixelBuffer&& other) noexcept;
    PixelBuffer& operator=(PixelBuffer&& other) noexcept;

    std::uint8_t* Data() { return data_; }
    const std::uint8_t* Data() const { return data_; }

private:
    struct Free {
        void operator()(void* block) const { std::free(block); }
    };
    std::unique_ptr<void, Free> block_;
    std::uint8_t* data_ = nullptr; // inside block_
};

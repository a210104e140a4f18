// libFuzzer target: any bytes that decode as a JPEG image are written back as
// JPEG (quality and chroma sampling taken from the data) and must decode
// again, to a picture of the same size; whatever fails must fail with the
// picture component's error. Catches an encoder that chokes on a size or a
// pixel layout the decoder makes (grey, 8-bit, odd sides).
#include "picture/JpegWriter.h"
#include "picture/PictureErrors.h"
#include "picture/TBitmap.h"
#include "picture/TJPEGImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

// As in FuzzJpegDecode: larger frames are only loaded, not decoded.
constexpr std::int64_t kMaxDecodedPixels = std::int64_t{1} << 22;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TBitmap decoded;
    try {
        TJPEGImage jpeg;
        jpeg.LoadFromStream(std::span<const std::uint8_t>(data, size));
        if (std::int64_t{jpeg.Width()} * jpeg.Height() > kMaxDecodedPixels || jpeg.Width() == 0)
            return 0;
        decoded.Assign(&jpeg);
    } catch (const EPictureError&) {
        return 0;
    }
    JpegSettings settings;
    settings.Quality = size == 0 ? 90 : 1 + data[size - 1] % 100;
    settings.Chroma = size % 2 ? ChromaSampling::Full : ChromaSampling::Halved;
    const std::vector<std::uint8_t> written = EncodeJpeg(decoded, settings);
    // Written by the component, the file must decode again: any exception
    // here ends the fuzzer with a finding.
    TJPEGImage again;
    again.LoadFromStream(written);
    TBitmap redecoded;
    redecoded.Assign(&again);
    if (redecoded.Width() != decoded.Width() || redecoded.Height() != decoded.Height())
        std::abort();
    return 0;
}

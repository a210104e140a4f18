// libFuzzer target: any bytes loaded as a JPEG image and then decoded, the
// full decoding, the sampled one a small draw makes and the reduced one of a
// region a smooth draw makes, must either work or fail with "JPEG error #n";
// libjpeg's fatal errors must not leak or skip destructors (AddressSanitizer's
// leak check runs at exit).
#include "picture/PictureErrors.h"
#include "picture/SmoothDraw.h"
#include "picture/TBitmap.h"
#include "picture/TJPEGImage.h"

#include <cstddef>
#include <cstdint>
#include <span>

// Frames claiming more pixels than this are only loaded (header read): a
// few bytes may announce 80 megapixels, and decoding that much grey every run
// would slow the fuzzer down a hundredfold. The size limit itself is tested.
constexpr std::int64_t kMaxDecodedPixels = std::int64_t{1} << 22;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    try {
        TJPEGImage sampled;
        sampled.LoadFromStream(bytes);
        if (std::int64_t{sampled.Width()} * sampled.Height() > kMaxDecodedPixels)
            return 0;
        if (sampled.Width() >= 3 && sampled.Height() >= 3) {
            TBitmap surface;
            surface.SetSize(5, 5);
            surface.Canvas().StretchDraw(TRect{0, 0, sampled.Width() / 3, sampled.Height() / 3}, &sampled);
        }
    } catch (const EPictureError&) {
    }
    try {
        TJPEGImage smooth;
        smooth.LoadFromStream(bytes);
        if (std::int64_t{smooth.Width()} * smooth.Height() > kMaxDecodedPixels)
            return 0;
        if (smooth.Width() >= 4 && smooth.Height() >= 4) {
            // A region off the middle, shrunk on load and averaged down.
            TBitmap surface;
            surface.SetSize(3, 2);
            const TRect region{smooth.Width() / 4, smooth.Height() / 3, smooth.Width(), smooth.Height() * 3 / 4 + 1};
            SmoothDrawRegion(surface.Canvas(), TRect{0, 0, 3, 2}, smooth, region);
        }
    } catch (const EPictureError&) {
    }
    try {
        TJPEGImage full;
        full.LoadFromStream(bytes);
        TBitmap bitmap;
        bitmap.Assign(&full);
        if (!bitmap.Empty())
            return bitmap.Canvas().GetPixel(bitmap.Width() - 1, bitmap.Height() - 1) == 0x7FFFFFFF ? 1 : 0;
    } catch (const EPictureError&) {
    }
    return 0;
}

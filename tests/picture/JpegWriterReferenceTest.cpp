// The JPEG writer's files decoded by djpeg, libjpeg-turbo's own tool: of the
// picture's size, close to its pixels, and exactly what the component's own
// decoder makes of them.
#include "ReferenceImages.h"
#include "picture/FileBytes.h"
#include "picture/JpegWriter.h"
#include "picture/SmoothDraw.h"

#include <memory>

namespace {

// A colourful photo averaged down to `width` by `height`.
std::unique_ptr<TBitmap> Photo(std::int32_t width, std::int32_t height)
{
    TJPEGImage photo;
    photo.LoadFromFile(TestData("jpeg/photos/obama.jpg"));
    auto surface = std::make_unique<TBitmap>();
    surface->SetSize(width, height);
    SmoothDrawRegion(surface->Canvas(), {0, 0, width, height}, photo, {0, 0, photo.Width(), photo.Height()});
    return surface;
}

} // namespace

TEST(JpegWriterReference, DjpegDecodesTheFilesToThePictureWritten)
{
    TJPEGImage greyPhoto;
    greyPhoto.LoadFromFile(TestData("jpeg/photos/hopper_gray.jpg"));
    const struct {
        const char* name;
        std::shared_ptr<TBitmap> picture;
        ChromaSampling chroma;
        double leastPsnr; // measured less 3 dB
        bool grey = false;
    } rows[] = {
        {"120 x 180, 4:2:0", Photo(120, 180), ChromaSampling::Halved, 29.5},
        {"120 x 180, 4:4:4", Photo(120, 180), ChromaSampling::Full, 33.5},
        {"47 x 33, 4:2:0", Photo(47, 33), ChromaSampling::Halved, 25.5},
        {"47 x 33, 4:4:4", Photo(47, 33), ChromaSampling::Full, 30},
        {"1 x 1, 4:2:0", Photo(1, 1), ChromaSampling::Halved, 50},
        {"1 x 1, 4:4:4", Photo(1, 1), ChromaSampling::Full, 50},
        {"grey 128 x 128", std::make_shared<TBitmap>(), ChromaSampling::Halved, 41, true},
    };
    rows[6].picture->Assign(&greyPhoto);
    const ScratchFolder folder;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        JpegSettings settings;
        settings.Chroma = row.chroma;
        const std::vector<std::uint8_t> file = EncodeJpeg(*row.picture, settings);
        const std::filesystem::path path = folder.Path() / "written.jpg";
        WriteFileBytes(path, file);
        const QImage reference = DecodeWithDjpeg(QString::fromStdString(path.string()));
        ASSERT_FALSE(reference.isNull()) << "djpeg could not decode the file";
        ASSERT_EQ(reference.width(), row.picture->Width());
        ASSERT_EQ(reference.height(), row.picture->Height());
        const QImage rgb = reference.convertToFormat(QImage::Format_RGB32);
        const double psnr = PeakSignalToNoise(*row.picture, [&](std::int32_t x, std::int32_t y) {
            return static_cast<std::uint32_t>(rgb.pixel(x, y)) & 0xFFFFFF;
        });
        EXPECT_GT(psnr, row.leastPsnr);
        // The component decodes grey files to the display's 236 grey levels.
        TJPEGImage own;
        own.LoadFromStream(file);
        const QStringList levels = row.grey ? QStringList{"-colors", "236"} : QStringList{};
        EXPECT_TRUE(SamePixels(own.DecodedBitmap(), DecodeWithDjpeg(QString::fromStdString(path.string()), levels)));
    }
}

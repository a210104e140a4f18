// The JPEG writer: what its files say about themselves (baseline, size,
// chroma sampling, metadata), how close they decode to the picture written,
// the quality search, and what it refuses. Decoded here with the component's
// own decoder, which is held against djpeg elsewhere; JpegWriterReferenceTest
// decodes them with djpeg itself.
#include "picture/JpegWriter.h"

#include "JpegSegments.h"
#include "PictureTestSupport.h"
#include "picture/ExifCaptureTime.h"
#include "picture/FileBytes.h"
#include "picture/SmoothDraw.h"

#include <jerror.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace {

// A real photo averaged down to `width` by `height` on a surface of `depth`:
// what the batch resize hands the writer.
std::unique_ptr<TBitmap> Photo(std::int32_t width, std::int32_t height, DisplayColorDepth depth = {})
{
    TJPEGImage photo;
    photo.LoadFromFile(TestData("jpeg/photos/obama.jpg"));
    auto surface = std::make_unique<TBitmap>(depth);
    surface->SetSize(width, height);
    SmoothDrawRegion(surface->Canvas(), {0, 0, width, height}, photo, {0, 0, photo.Width(), photo.Height()});
    return surface;
}

// A grey photo as decoding gives it: 8 bits with a table of greys.
std::unique_ptr<TBitmap> GreyPhoto()
{
    TJPEGImage photo;
    photo.LoadFromFile(TestData("jpeg/photos/hopper_gray.jpg"));
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->Assign(&photo);
    return bitmap;
}

std::unique_ptr<TBitmap> Decoded(const std::vector<std::uint8_t>& file)
{
    TJPEGImage jpeg;
    jpeg.LoadFromStream(file);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->Assign(&jpeg);
    return bitmap;
}

JpegSettings AtQuality(int quality)
{
    JpegSettings settings;
    settings.Quality = quality;
    return settings;
}

constexpr std::uint8_t kApp0 = 0xE0;
constexpr std::uint8_t kApp1 = 0xE1;
constexpr std::uint8_t kComment = 0xFE;
constexpr std::uint8_t kBaselineFrame = 0xC0;

} // namespace

TEST(JpegWriter, FramesAreBaselineOfThePicturesSizeWithTheChosenChromaSampling)
{
    const struct {
        std::int32_t width;
        std::int32_t height;
        ChromaSampling chroma;
        std::vector<std::uint8_t> sampling; // per component
    } rows[] = {
        {120, 180, ChromaSampling::Halved, {0x22, 0x11, 0x11}}, {120, 180, ChromaSampling::Full, {0x11, 0x11, 0x11}},
        {47, 33, ChromaSampling::Halved, {0x22, 0x11, 0x11}},   {47, 33, ChromaSampling::Full, {0x11, 0x11, 0x11}},
        {1, 1, ChromaSampling::Halved, {0x22, 0x11, 0x11}},     {1, 1, ChromaSampling::Full, {0x11, 0x11, 0x11}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.width << " x " << row.height << " chroma "
                                        << (row.chroma == ChromaSampling::Full ? "4:4:4" : "4:2:0"));
        JpegSettings settings;
        settings.Chroma = row.chroma;
        const std::vector<std::uint8_t> file = EncodeJpeg(*Photo(row.width, row.height), settings);
        const std::optional<JpegFrame> frame = FrameOf(file);
        ASSERT_TRUE(frame.has_value());
        EXPECT_EQ(frame->Marker, kBaselineFrame);
        EXPECT_EQ(frame->Width, row.width);
        EXPECT_EQ(frame->Height, row.height);
        EXPECT_EQ(frame->Sampling, row.sampling);
    }
    // A grey picture is one grey channel, whatever the chroma setting.
    for (const ChromaSampling chroma : {ChromaSampling::Halved, ChromaSampling::Full}) {
        JpegSettings settings;
        settings.Chroma = chroma;
        const std::optional<JpegFrame> grey = FrameOf(EncodeJpeg(*GreyPhoto(), settings));
        ASSERT_TRUE(grey.has_value());
        EXPECT_EQ(grey->Sampling, std::vector<std::uint8_t>{0x11});
        EXPECT_EQ(grey->Width, 128);
    }
}

TEST(JpegWriter, EveryPixelLayoutDecodesBackCloseToThePictureWritten)
{
    // Surfaces of every display depth (the 8-bit one holds indices into the
    // display palette), the 24-bit grid of a decoded photo, and a grey one.
    TJPEGImage colourPhoto;
    colourPhoto.LoadFromFile(TestData("jpeg/photos/hopper.jpg"));
    TBitmap decodedColour;
    decodedColour.Assign(&colourPhoto);
    ASSERT_EQ(decodedColour.BitsPerPixel(), 24);
    std::vector<std::pair<std::string, std::unique_ptr<TBitmap>>> pictures;
    for (const int bits : {32, 24, 16, 8})
        pictures.emplace_back(std::to_string(bits) + "-bit surface", Photo(120, 180, DisplayColorDepth(bits)));
    pictures.emplace_back("decoded colour photo", std::make_unique<TBitmap>());
    pictures.back().second->Assign(&decodedColour);
    pictures.emplace_back("decoded grey photo", GreyPhoto());
    for (const auto& [name, picture] : pictures) {
        SCOPED_TRACE(name);
        for (const ChromaSampling chroma : {ChromaSampling::Halved, ChromaSampling::Full}) {
            JpegSettings settings;
            settings.Chroma = chroma;
            const std::unique_ptr<TBitmap> back = Decoded(EncodeJpeg(*picture, settings));
            ASSERT_TRUE(SameSize(*back, picture->Width(), picture->Height()));
            // Measured at quality 90: 28.5 dB (the dithered 8-bit surface,
            // colour halved) to 44 dB (grey). Red and blue swapped give 14.
            EXPECT_GT(PeakSignalToNoise(*back, *picture), 26.0);
        }
    }
}

TEST(JpegWriter, HigherQualityGivesLargerFilesAndCloserPixels)
{
    const std::unique_ptr<TBitmap> photo = Photo(120, 180);
    std::size_t smaller = 0;
    double worse = 0;
    for (const int quality : {5, 25, 50, 75, 90, 100}) {
        SCOPED_TRACE(quality);
        const std::vector<std::uint8_t> file = EncodeJpeg(*photo, AtQuality(quality));
        const double psnr = PeakSignalToNoise(*Decoded(file), *photo);
        EXPECT_GT(file.size(), smaller);
        EXPECT_GT(psnr, worse);
        smaller = file.size();
        worse = psnr;
    }
    // What the tool writes instead of an 86,454-byte BMP file: about 8 KB.
    const std::size_t atNinety = EncodeJpeg(*photo).size();
    EXPECT_GT(atNinety, 3000U);
    EXPECT_LT(atNinety, 16000U);
}

TEST(JpegWriter, MetadataOnlyWhenAskedFor)
{
    const std::unique_ptr<TBitmap> photo = Photo(120, 180);
    const std::vector<std::uint8_t> plain = EncodeJpeg(*photo);
    const std::vector<std::uint8_t> plainMarkers = MarkersOf(plain);
    ASSERT_FALSE(plainMarkers.empty());
    EXPECT_EQ(plainMarkers.front(), kApp0) << "the JFIF header";
    EXPECT_EQ(std::count(plainMarkers.begin(), plainMarkers.end(), kApp1), 0);
    EXPECT_EQ(std::count(plainMarkers.begin(), plainMarkers.end(), kComment), 0);
    EXPECT_EQ(ExifCaptureTime(plain), std::nullopt);

    JpegSettings settings;
    settings.CaptureTime = "2024:09:02 08:15:31";
    const std::vector<std::uint8_t> stamped = EncodeJpeg(*photo, settings);
    const std::vector<std::uint8_t> stampedMarkers = MarkersOf(stamped);
    ASSERT_FALSE(stampedMarkers.empty());
    EXPECT_EQ(stampedMarkers.front(), kApp1) << "EXIF in place of the JFIF header";
    EXPECT_EQ(std::count(stampedMarkers.begin(), stampedMarkers.end(), kApp0), 0);
    EXPECT_EQ(ExifCaptureTime(stamped), "2024:09:02 08:15:31");
    // The pixels are the same either way, and the photo is shown as stored.
    TJPEGImage reread;
    reread.LoadFromStream(stamped);
    EXPECT_EQ(reread.Orientation(), ExifOrientation::TopLeft);
    EXPECT_TRUE(SamePixels(*Decoded(stamped), *Decoded(plain)));
}

TEST(JpegWriter, RefusesWhatItCannotWrite)
{
    const std::unique_ptr<TBitmap> photo = Photo(4, 6);
    for (const int quality : {0, -1, 101}) {
        EXPECT_THROW(EncodeJpeg(*photo, AtQuality(quality)), std::invalid_argument) << quality;
    }
    for (const char* time :
         {"2024-09-02 08:15:31", "2024:13:02 08:15:31", "2024:09:00 08:15:31", "2024:09:02 24:15:31",
          "2024:09:02 08:60:31", "2024:09:02 08:15:3", "2024:09:02 08:15:31 ", "", "２０２４:09:02 08:15:31"}) {
        JpegSettings settings;
        settings.CaptureTime = time;
        EXPECT_THROW(EncodeJpeg(*photo, settings), std::invalid_argument) << '"' << time << '"';
    }
    EXPECT_EQ(ErrorOf<EInvalidGraphic>([] { EncodeJpeg(TBitmap()); }), kNoPixelsToWriteMessage);
    // JPEG's sides end at 65,500 pixels.
    TBitmap wide(DisplayColorDepth(8));
    wide.SetSize(65501, 1);
    try {
        EncodeJpeg(wide);
        ADD_FAILURE() << "a picture of 65,501 pixels across was written";
    } catch (const EJPEG& error) {
        EXPECT_EQ(error.MessageCode(), JERR_IMAGE_TOO_BIG);
    }
    wide.SetSize(65500, 1);
    EXPECT_EQ(FrameOf(EncodeJpeg(wide))->Width, 65500);
}

TEST(JpegWriter, TheQualitySearchFindsTheHighestQualityUnderTheLimit)
{
    const std::unique_ptr<TBitmap> photo = Photo(240, 360);
    std::vector<std::size_t> sizes(101);
    for (int quality = 1; quality <= 100; ++quality)
        sizes[static_cast<std::size_t>(quality)] = EncodeJpeg(*photo, AtQuality(quality)).size();
    // The highest quality from `ceiling` down whose file fits, read off the table.
    auto highestFitting = [&](std::size_t limit, int ceiling) {
        for (int quality = ceiling; quality >= 1; --quality)
            if (sizes[static_cast<std::size_t>(quality)] <= limit)
                return quality;
        return 0;
    };
    const struct {
        std::size_t limit;
        int ceiling;
    } rows[] = {
        {sizes[90], 90},        // the ceiling itself fits exactly
        {sizes[90] + 1000, 90}, // room to spare: never above the ceiling
        {sizes[90] - 1, 90},    // one byte short of the ceiling
        {sizes[57], 90},        // exactly a quality's size
        {sizes[57] + 1, 95},    //
        {(sizes[20] + sizes[21]) / 2, 100},
        {sizes[2], 100}, // near the bottom
        {sizes[1], 100}, // the lowest quality fits exactly
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.limit << " bytes, quality " << row.ceiling << " down");
        const JpegWithinLimit found = EncodeJpegWithin(*photo, row.limit, 1, AtQuality(row.ceiling));
        EXPECT_EQ(found.Quality, highestFitting(row.limit, row.ceiling));
        EXPECT_LE(found.Bytes.size(), row.limit);
        EXPECT_EQ(found.Bytes, EncodeJpeg(*photo, AtQuality(found.Quality)));
    }
    // Below the lowest quality's size: refused, saying what the lowest gives.
    try {
        EncodeJpegWithin(*photo, sizes[40] - 1, 40);
        ADD_FAILURE() << "a file over the limit was accepted";
    } catch (const EJpegTooLarge& error) {
        EXPECT_EQ(error.MaxBytes(), sizes[40] - 1);
        EXPECT_EQ(error.LowestQuality(), 40);
        EXPECT_EQ(error.BytesAtLowest(), sizes[40]);
    }
    EXPECT_THROW(EncodeJpegWithin(*photo, 60000, 0), std::invalid_argument);
    EXPECT_THROW(EncodeJpegWithin(*photo, 60000, 91), std::invalid_argument);
}

TEST(JpegWriter, SavingAPhotoWritesQualityNinetyWithTheCaptureTime)
{
    const ScratchFolder folder;
    const std::unique_ptr<TBitmap> photo = Photo(120, 180);
    const std::filesystem::path file = folder.Path() / std::filesystem::path(u8"照片.jpg");
    WriteFileBytes(file, std::vector<std::uint8_t>(100000, 'x')); // replaced, not appended to
    SavePhotoAsJpeg(*photo, file, "2024:09:02 08:15:31");
    JpegSettings expected;
    expected.Quality = 90;
    expected.CaptureTime = "2024:09:02 08:15:31";
    EXPECT_EQ(ReadBytes(file), EncodeJpeg(*photo, expected));

    SavePhotoAsJpeg(*photo, file);
    EXPECT_EQ(ReadBytes(file), EncodeJpeg(*photo, AtQuality(90)));
}

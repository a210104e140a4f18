#include "export/RegisterPhoto.h"

#include "faces/FaceDetector.h"
#include "faces/FaceFraming.h"
#include "picture/JpegWriter.h"
#include "picture/PictureErrors.h"
#include "picture/ReducedPicture.h"
#include "picture/SmoothDraw.h"
#include "picture/TBitmap.h"
#include "picture/TGraphic.h"

#include <algorithm>
#include <vector>

namespace {

// A pixel of a light-blue backdrop: light, blue well above red, green above
// red (the studio blues run from RGB 67, 142, 219 to 170, 215, 245; a navy
// 40, 60, 160 is too dark).
bool LightBlue(std::uint32_t rgb)
{
    const int red = static_cast<int>((rgb >> 16) & 0xFF);
    const int green = static_cast<int>((rgb >> 8) & 0xFF);
    const int blue = static_cast<int>(rgb & 0xFF);
    return blue >= 150 && blue >= red + 30 && green > red && red + green + blue >= 360;
}

// The largest face of `source`, in its pixels: looked for at the detector's
// working size, which finds a portrait's face cheaply, and where that finds
// none at three times it, which finds the smaller faces of a photo taken
// from further away.
std::optional<TRect> FindFace(const TGraphic& source, FaceDetector& faces)
{
    for (const std::int32_t side : {FaceDetector::kWorkingShortSide, 3 * FaceDetector::kWorkingShortSide}) {
        const ReducedPicture look = DecodeAtLeast(source, {side, side});
        if (!look.Pixels)
            return std::nullopt;
        const std::vector<TRect> found = faces.Faces(*look.Pixels, side);
        if (!found.empty())
            return FaceBoxInPicture(found.front(), look);
    }
    return std::nullopt;
}

} // namespace

std::optional<PictureSize> RegisterPhotoSize(PictureSize region)
{
    const std::int64_t byHeight = std::min<std::int64_t>(region.Height, kRegisterPhotoSize.Height);
    // The height the region's width allows at 26:32, rounded up as the
    // register's own sizes are (26 mm at 350 dpi is 358.3 pixels, 32 mm 441).
    const std::int64_t byWidth = (std::int64_t{region.Width} * 32 + 25) / 26;
    const std::int64_t height = std::min(byHeight, byWidth);
    if (height >= kRegisterPhotoSize.Height)
        return kRegisterPhotoSize;
    const auto width = static_cast<std::int32_t>((height * 26 + 16) / 32);
    if (height < kSmallestRegisterPhotoSize.Height || width < kSmallestRegisterPhotoSize.Width)
        return std::nullopt;
    return PictureSize{std::min(width, region.Width), static_cast<std::int32_t>(height)};
}

std::variant<RegisterPhoto, RegisterPhotoFault> MakeRegisterPhoto(const TGraphic& source, FaceDetector& faces)
{
    const PictureSize full{source.Width(), source.Height()};
    const std::optional<TRect> face = FindFace(source, faces);
    if (!face)
        return RegisterPhotoFault::NoFace;
    const TRect region = FaceRegion(full, kRegisterPhotoSize, *face, kRegisterFacePlacement);
    const std::optional<PictureSize> size = RegisterPhotoSize({region.Width(), region.Height()});
    if (!size)
        return RegisterPhotoFault::TooSmall;

    TBitmap photo;
    photo.SetSize(size->Width, size->Height);
    SmoothDrawRegion(photo.Canvas(), TRect{0, 0, size->Width, size->Height}, source, region);
    try {
        JpegWithinLimit jpeg =
            EncodeJpegWithin(photo, kRegisterPhotoMaxBytes - 1, kRegisterLowestQuality, JpegSettings{.Quality = 100});
        return RegisterPhoto{std::move(jpeg.Bytes), *size, jpeg.Quality, HasLightBlueBackground(photo)};
    } catch (const EJpegTooLarge&) {
        return RegisterPhotoFault::TooLargeAtFloor;
    }
}

bool HasLightBlueBackground(const TBitmap& photo)
{
    const std::int32_t width = photo.Width();
    const std::int32_t height = photo.Height();
    if (width <= 0 || height <= 0)
        return false;
    const std::int32_t band = std::max(1, height / 12);
    const std::int32_t side = std::max(1, width / 12);
    std::vector<std::uint32_t> row(static_cast<std::size_t>(width));
    std::int64_t looked = 0;
    std::int64_t blue = 0;
    for (std::int32_t y = 0; y < height / 2; ++y) {
        photo.ReadRowRGB32(y, row.data());
        for (std::int32_t x = 0; x < width; ++x) {
            if (y >= band && x >= side && x < width - side)
                continue;
            ++looked;
            blue += LightBlue(row[static_cast<std::size_t>(x)]) ? 1 : 0;
        }
    }
    return looked > 0 && blue * 5 >= looked * 4;
}

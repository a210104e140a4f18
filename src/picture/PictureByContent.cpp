#include "picture/PictureByContent.h"

#include "picture/TBitmap.h"
#include "picture/TJPEGImage.h"

std::optional<PictureKind> SniffPictureKind(std::span<const std::uint8_t> firstBytes)
{
    if (firstBytes.size() < 2)
        return std::nullopt;
    if (firstBytes[0] == 0xFF && firstBytes[1] == 0xD8)
        return PictureKind::Jpeg;
    if (firstBytes[0] == 'B' && firstBytes[1] == 'M')
        return PictureKind::Bmp;
    return std::nullopt;
}

const char* PictureKindName(PictureKind kind)
{
    return kind == PictureKind::Jpeg ? "JPEG" : "BMP";
}

ENotAPicture::ENotAPicture() : EInvalidGraphic("Not a JPEG or BMP picture") { }

std::unique_ptr<TGraphic> LoadPictureByContent(std::shared_ptr<const std::vector<std::uint8_t>> bytes)
{
    const std::optional<PictureKind> kind = SniffPictureKind(*bytes);
    if (!kind)
        throw ENotAPicture();
    std::unique_ptr<TGraphic> graphic;
    if (*kind == PictureKind::Jpeg)
        graphic = std::make_unique<TJPEGImage>();
    else
        graphic = std::make_unique<TBitmap>();
    graphic->LoadFromBytes(std::move(bytes));
    return graphic;
}

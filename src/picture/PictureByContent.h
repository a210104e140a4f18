#pragma once

#include "picture/PictureErrors.h"
#include "picture/TGraphic.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

// Photos told by what they hold rather than by their names: a browser shows
// a BMP stored under a .jpg name (the capture window saves them so), and so
// does the site; whatever judges a student's photo reads it the same way.
// (Loading by the name's extension is TPicture's, TFileFormatsList.h.)

enum class PictureKind { Jpeg, Bmp };

// The kind a file's first bytes tell: JPEG's start-of-image marker FF D8, or
// the bitmap's "BM"; nothing for bytes of neither kind.
std::optional<PictureKind> SniffPictureKind(std::span<const std::uint8_t> firstBytes);

// "JPEG" or "BMP", as messages name the kinds.
const char* PictureKindName(PictureKind kind);

// Bytes of neither kind: "Not a JPEG or BMP picture".
class ENotAPicture : public EInvalidGraphic {
public:
    ENotAPicture();
};

// The picture `bytes` hold, of the kind their first bytes tell: a TJPEGImage,
// whose pixels are decoded when it is first drawn, or a TBitmap, read now.
// Throws ENotAPicture, or the errors of loading that kind.
std::unique_ptr<TGraphic> LoadPictureByContent(std::shared_ptr<const std::vector<std::uint8_t>> bytes);

#pragma once

#include "picture/PictureSize.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

class FaceDetector;
class TBitmap;
class TGraphic;

// One student's photo as the national student register takes it: a colour
// head-and-shoulders photo of 26 mm x 32 mm at 150 dpi or more (358 x 441
// pixels at 350 dpi; 154 x 189 at 150), the head about two thirds of the
// height and centred, a JPEG file under 60 KB.

inline constexpr PictureSize kRegisterPhotoSize{358, 441};
inline constexpr PictureSize kSmallestRegisterPhotoSize{154, 189};
// 60 KB read the strict way, so that the files are under the limit whether a
// checker counts a KB as 1,000 bytes or 1,024.
inline constexpr std::size_t kRegisterPhotoMaxBytes = 60'000;
// The quality the file size never pushes a photo below: under 40 libjpeg's
// blocks show on faces. A 358 x 441 portrait fits at 90 and more.
inline constexpr int kRegisterLowestQuality = 40;

// The size of the register photo made from a face region of `region` source
// pixels (26:32): 358 x 441 when the region is that large, since a photo is
// never enlarged; else the largest 26:32 size the region holds; nothing when
// that is below 154 x 189.
std::optional<PictureSize> RegisterPhotoSize(PictureSize region);

// Why a student's photo cannot be made.
enum class RegisterPhotoFault {
    NoFace,         // the detector finds no face: a crop without one would frame nothing
    TooSmall,       // the face region is smaller than 154 x 189 pixels
    TooLargeAtFloor // even at kRegisterLowestQuality the file is 60 KB or more
};

struct RegisterPhoto {
    std::vector<std::uint8_t> bytes; // the JPEG file
    PictureSize size;
    int quality = 0;
    bool lightBlueBackground = false;
};

// Frames `source` (upright) on its largest face at 26:32 (kRegisterFacePlacement,
// faces/FaceFraming.h), draws it smoothly at RegisterPhotoSize and writes it
// at the highest quality under the byte limit. Picture errors (EJPEG ...) pass
// through.
std::variant<RegisterPhoto, RegisterPhotoFault> MakeRegisterPhoto(const TGraphic& source, FaceDetector& faces);

// Whether the photo's background looks light blue, as the register asks: the
// strip along the top and the two side strips of the upper half (where only
// background belongs, the shoulders being below) are at least four fifths
// pixels that are light and clearly blue. Only a warning: a photo on another
// background is still exported.
bool HasLightBlueBackground(const TBitmap& photo);

#pragma once

#include "picture/DisplayColorDepth.h"
#include "picture/TGraphic.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One registered picture file kind: extension (lower case, without the dot)
// and a maker of an empty graphic of that kind for a display of the given
// colour depth.
using MakeGraphic = std::unique_ptr<TGraphic> (*)(DisplayColorDepth displayDepth);
struct TFileFormat {
    std::string Extension;
    MakeGraphic Create;
};

// The picture file kinds known to TPicture::LoadFromFile, in the order they
// were registered: wmf, emf, ico, bmp, then jpeg and jpg from the JPEG image.
class TFileFormatsList {
public:
    // The list every Picture uses, filled once on first use and never changed.
    static const TFileFormatsList& Instance();

    void Add(std::string extension, MakeGraphic create);
    // Searches from the last entry to the first; nullptr when none matches.
    // `extension` must already be lower case; an empty one never matches.
    const TFileFormat* Find(std::string_view extension) const;

private:
    std::vector<TFileFormat> entries_;
};

// A new, empty graphic of the kind the file name's extension selects (the
// registry searched from its last entry), for a display of `displayDepth`;
// EInvalidGraphic "Unknown picture file extension (.%s)" when none does.
std::unique_ptr<TGraphic> NewGraphicFor(const std::filesystem::path& path, DisplayColorDepth displayDepth);

// The extension of a file name as the registry is searched with it: the text
// after the last "." unless a "\", "/" or ":" follows that dot, ASCII letters
// lower-cased; empty when there is none.
std::string GraphicExtension(const std::filesystem::path& path);

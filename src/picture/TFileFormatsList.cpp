#include "picture/TFileFormatsList.h"

#include "picture/PictureErrors.h"
#include "picture/TBitmap.h"
#include "picture/TIcon.h"
#include "picture/TJPEGImage.h"
#include "picture/TMetafile.h"

namespace {

// The kinds that never hold pixels need no display colour depth.
template <class Kind> std::unique_ptr<TGraphic> Make(DisplayColorDepth)
{
    return std::make_unique<Kind>();
}

// The kinds that hold pixels draw for the display's colour depth.
template <class Kind> std::unique_ptr<TGraphic> MakeForDisplay(DisplayColorDepth displayDepth)
{
    return std::make_unique<Kind>(displayDepth);
}

TFileFormatsList MakeRegistry()
{
    TFileFormatsList list;
    list.Add("wmf", &Make<TMetafile>);
    list.Add("emf", &Make<TMetafile>);
    list.Add("ico", &Make<TIcon>);
    list.Add("bmp", &MakeForDisplay<TBitmap>);
    list.Add("jpeg", &MakeForDisplay<TJPEGImage>);
    list.Add("jpg", &MakeForDisplay<TJPEGImage>);
    return list;
}

} // namespace

const TFileFormatsList& TFileFormatsList::Instance()
{
    static const TFileFormatsList registry = MakeRegistry();
    return registry;
}

void TFileFormatsList::Add(std::string extension, MakeGraphic create)
{
    entries_.push_back(TFileFormat{std::move(extension), create});
}

const TFileFormat* TFileFormatsList::Find(std::string_view extension) const
{
    if (extension.empty())
        return nullptr;
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
        if (entry->Extension == extension)
            return &*entry;
    }
    return nullptr;
}

std::string GraphicExtension(const std::filesystem::path& path)
{
    const std::string name = path.string();
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.find_first_of("\\/:", dot) != std::string::npos)
        return {};
    std::string extension = name.substr(dot + 1);
    // Only ASCII letters change: the bytes of multi-byte characters are left
    // alone.
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return extension;
}

std::unique_ptr<TGraphic> NewGraphicFor(const std::filesystem::path& path, DisplayColorDepth displayDepth)
{
    const std::string extension = GraphicExtension(path);
    const TFileFormat* format = TFileFormatsList::Instance().Find(extension);
    if (format == nullptr)
        throw EInvalidGraphic("Unknown picture file extension (." + extension + ")");
    return format->Create(displayDepth);
}

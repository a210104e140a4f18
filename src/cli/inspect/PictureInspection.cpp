#include "cli/inspect/PictureInspection.h"

#include "picture/PictureErrors.h"
#include "picture/TBitmap.h"
#include "picture/TIcon.h"
#include "picture/TJPEGImage.h"
#include "picture/TMetafile.h"
#include "picture/TPicture.h"

#include <filesystem>
#include <ostream>
#include <string>

namespace {

constexpr int kUsable = 0;
constexpr int kUnusable = 1;
constexpr int kWrongUsage = 2;

std::filesystem::path PathOf(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

const char* KindOf(const TGraphic& graphic)
{
    if (dynamic_cast<const TBitmap*>(&graphic) != nullptr)
        return "Bitmap";
    if (dynamic_cast<const TJPEGImage*>(&graphic) != nullptr)
        return "JPEG image";
    if (dynamic_cast<const TIcon*>(&graphic) != nullptr)
        return "Icon";
    if (dynamic_cast<const TMetafile*>(&graphic) != nullptr)
        return "Metafile";
    return "Graphic";
}

// A photo stored turned or mirrored is shown upright; say so, with the size
// it is stored in.
std::string OrientationNote(const TGraphic& graphic)
{
    const auto* jpeg = dynamic_cast<const TJPEGImage*>(&graphic);
    if (jpeg == nullptr || jpeg->Orientation() == ExifOrientation::TopLeft)
        return {};
    return ", EXIF orientation " + std::to_string(static_cast<int>(jpeg->Orientation())) + ": stored "
           + std::to_string(jpeg->StoredWidth()) + " x " + std::to_string(jpeg->StoredHeight()) + ", shown upright";
}

// Loads one file and, for a JPEG image, decodes it, so that every error the
// windows could meet shows here. Writes one line; true when the file is usable.
bool Inspect(const std::string& name, const std::string& bmpOut, std::ostream& out, std::ostream& errors)
{
    try {
        TPicture picture;
        picture.LoadFromFile(PathOf(name));
        TBitmap pixels;
        pixels.Assign(picture.Graphic());
        out << name << ": " << KindOf(*picture.Graphic()) << ", " << picture.Width() << " x " << picture.Height()
            << ", " << pixels.BitsPerPixel() << " bits per pixel" << OrientationNote(*picture.Graphic()) << std::endl;
        if (!bmpOut.empty()) {
            TBitmap surface;
            surface.SetWidth(pixels.Width());
            surface.SetHeight(pixels.Height());
            surface.Canvas().StretchDraw(TRect{0, 0, pixels.Width(), pixels.Height()}, &pixels);
            surface.SaveToFile(PathOf(bmpOut));
        }
        return true;
    } catch (const std::exception& error) {
        errors << name << ": " << error.what() << std::endl;
        return false;
    }
}

int UsageError(const std::string& command, const std::string& problem, std::ostream& errors)
{
    errors << command << ": " << problem << "\n"
           << "usage: " << command << " FILE... [--to-bmp OUT]\n"
           << "  prints the kind, width, height and bits per pixel of each picture file, or why it\n"
           << "  cannot be used; --to-bmp (one FILE only) also saves the picture as a BMP file\n";
    return kWrongUsage;
}

} // namespace

int RunPictureInspection(const std::vector<std::string>& arguments, const std::string& command, std::ostream& out,
                         std::ostream& errors)
{
    std::vector<std::string> files;
    std::string bmpOut;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--to-bmp") {
            if (i + 1 >= arguments.size() || !bmpOut.empty())
                return UsageError(command, "--to-bmp needs one output file", errors);
            bmpOut = arguments[++i];
        } else if (argument.starts_with("--")) {
            return UsageError(command, "unknown argument " + argument, errors);
        } else {
            files.push_back(argument);
        }
    }
    if (files.empty())
        return UsageError(command, "no picture file given", errors);
    if (!bmpOut.empty() && files.size() != 1)
        return UsageError(command, "--to-bmp takes exactly one picture file", errors);

    bool allUsable = true;
    for (const std::string& file : files)
        allUsable = Inspect(file, bmpOut, out, errors) && allUsable;
    return allUsable ? kUsable : kUnusable;
}

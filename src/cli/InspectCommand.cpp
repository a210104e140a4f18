// student-photo-cli inspect: loads picture files the way the windows do (the
// kind chosen by the extension) and prints what the tool sees in each, or the
// exact error message the windows would show. With --to-bmp the one picture
// is drawn onto a surface of its size and saved, as the windows save.
#include "cli/Commands.h"
#include "cli/Console.h"

#include "common/picture/PictureErrors.h"
#include "common/picture/TBitmap.h"
#include "common/picture/TIcon.h"
#include "common/picture/TJPEGImage.h"
#include "common/picture/TMetafile.h"
#include "common/picture/TPicture.h"

#include <QFile>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

const char kInspectUsage[] =
    "usage: student-photo-cli inspect FILE... [--to-bmp OUT]\n"
    "  prints the kind, width, height and bits per pixel of each picture file, or why it\n"
    "  cannot be used; --to-bmp (one FILE only) also saves the picture as a BMP file\n";



std::filesystem::path LocalPath(const QString& name)
{
    return std::filesystem::path(QFile::encodeName(name).toStdString());
}

QString KindOf(const TGraphic& graphic)
{
    if (dynamic_cast<const TBitmap*>(&graphic) != nullptr)
        return QStringLiteral("Bitmap");
    if (dynamic_cast<const TJPEGImage*>(&graphic) != nullptr)
        return QStringLiteral("JPEG image");
    if (dynamic_cast<const TIcon*>(&graphic) != nullptr)
        return QStringLiteral("Icon");
    if (dynamic_cast<const TMetafile*>(&graphic) != nullptr)
        return QStringLiteral("Metafile");
    return QStringLiteral("Graphic");
}

// A photo stored turned or mirrored is shown upright; say so, with the size
// it is stored in.
QString OrientationNote(const TGraphic& graphic)
{
    const auto* jpeg = dynamic_cast<const TJPEGImage*>(&graphic);
    if (jpeg == nullptr || jpeg->Orientation() == ExifOrientation::TopLeft)
        return {};
    return QStringLiteral(", EXIF orientation %1: stored %2 x %3, shown upright")
        .arg(static_cast<int>(jpeg->Orientation()))
        .arg(jpeg->StoredWidth())
        .arg(jpeg->StoredHeight());
}

// Loads one file and, for a JPEG image, decodes it, so that every error the
// windows could meet shows here. Prints one line; true when the file is usable.
bool Inspect(const QString& name, const QString& bmpOut)
{
    try {
        TPicture picture;
        picture.LoadFromFile(LocalPath(name));
        TBitmap pixels;
        pixels.Assign(picture.Graphic());
        PrintLine(stdout, QStringLiteral("%1: %2, %3 x %4, %5 bits per pixel%6")
                              .arg(name, KindOf(*picture.Graphic()))
                              .arg(picture.Width())
                              .arg(picture.Height())
                              .arg(pixels.BitsPerPixel())
                              .arg(OrientationNote(*picture.Graphic())));
        if (!bmpOut.isEmpty()) {
            TBitmap surface;
            surface.SetWidth(pixels.Width());
            surface.SetHeight(pixels.Height());
            surface.Canvas().StretchDraw(TRect{0, 0, pixels.Width(), pixels.Height()}, &pixels);
            surface.SaveToFile(LocalPath(bmpOut));
        }
        return true;
    } catch (const std::exception& error) {
        PrintLine(stderr, QStringLiteral("%1: %2").arg(name, QString::fromLocal8Bit(error.what())));
        return false;
    }
}

} // namespace

int RunInspectCommand(const QStringList& arguments)
{
    QStringList files;
    QString bmpOut;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--to-bmp")) {
            if (i + 1 >= arguments.size() || !bmpOut.isEmpty())
                return UsageError("inspect", kInspectUsage, QStringLiteral("--to-bmp needs one output file"));
            bmpOut = arguments[++i];
        } else if (argument.startsWith(QLatin1String("--"))) {
            return UsageError("inspect", kInspectUsage, QStringLiteral("unknown argument %1").arg(argument));
        } else {
            files << argument;
        }
    }
    if (files.isEmpty())
        return UsageError("inspect", kInspectUsage, QStringLiteral("no picture file given"));
    if (!bmpOut.isEmpty() && files.size() != 1)
        return UsageError("inspect", kInspectUsage, QStringLiteral("--to-bmp takes exactly one picture file"));

    bool allUsable = true;
    for (const QString& file : files)
        allUsable = Inspect(file, bmpOut) && allUsable;
    return allUsable ? kExitSuccess : kExitFailed;
}

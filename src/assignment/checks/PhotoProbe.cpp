#include "assignment/checks/PhotoProbe.h"

#include "files/PhotoHash.h"
#include "files/RegularFile.h"
#include "picture/PictureByContent.h"
#include "picture/PictureErrors.h"
#include "picture/PictureHeaders.h"

#include <QFile>
#include <QFileInfo>

#include <span>

namespace {

// Photos from cameras carry up to a few 64 KiB metadata blocks before the
// frame header; 256 KiB holds the header of nearly every one.
constexpr qint64 kHeaderBytes = qint64{256} * 1024;

std::span<const std::uint8_t> Bytes(const QByteArray& data)
{
    return {reinterpret_cast<const std::uint8_t*>(data.constData()), static_cast<std::size_t>(data.size())};
}

PhotoFacts Readable(PhotoFacts::Kind kind, int width, int height)
{
    PhotoFacts facts;
    facts.kind = kind;
    facts.width = width;
    facts.height = height;
    return facts;
}

PhotoFacts Unreadable(const QString& problem)
{
    PhotoFacts facts;
    facts.problem = problem;
    return facts;
}

PhotoFacts ProbeJpeg(QFile& file, QByteArray head)
{
    try {
        JpegHeader header;
        try {
            header = ReadJpegHeader(Bytes(head));
        } catch (const EJPEG&) {
            // The frame header may lie past the bytes read so far.
            if (file.size() <= head.size())
                throw;
            head += file.readAll();
            header = ReadJpegHeader(Bytes(head));
        }
        // Upright, as every window shows the photo and the site's browsers
        // show it: a camera's portrait is often stored turned, with its EXIF
        // orientation saying so.
        if (SwapsSides(header.Orientation))
            return Readable(PhotoFacts::Kind::Jpeg, header.Height, header.Width);
        return Readable(PhotoFacts::Kind::Jpeg, header.Width, header.Height);
    } catch (const EPictureError& error) {
        return Unreadable(QStringLiteral("JPEG 图片已损坏（%1）").arg(QString::fromUtf8(error.what())));
    }
}

PhotoFacts ProbeBmp(const QByteArray& head)
{
    try {
        const BmpHeader header = ReadBmpHeader(Bytes(head));
        return Readable(PhotoFacts::Kind::Bmp, header.Width, header.Height);
    } catch (const EPictureError& error) {
        return Unreadable(QStringLiteral("BMP 图片已损坏（%1）").arg(QString::fromUtf8(error.what())));
    }
}

PhotoFacts ProbeHeader(QFile& file)
{
    const QByteArray head = file.read(kHeaderBytes);
    const std::optional<PictureKind> kind = SniffPictureKind(Bytes(head));
    if (!kind)
        return Unreadable(QStringLiteral("不是 JPEG 或 BMP 图片"));
    return *kind == PictureKind::Jpeg ? ProbeJpeg(file, head) : ProbeBmp(head);
}

} // namespace

PhotoFacts ProbePhoto(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return Unreadable(QStringLiteral("图片文件不存在"));
    // A pipe or a device would block the reading or never end.
    if (!info.isFile())
        return Unreadable(QStringLiteral("不是普通文件"));
    QFile file;
    try {
        OpenRegularFile(file, path);
    } catch (const EFileAccessError& error) {
        return Unreadable(QString::fromStdString(error.what()));
    }
    PhotoFacts facts = ProbeHeader(file);
    facts.size = file.size();
    facts.modified = QFileInfo(file).lastModified();
    if (file.seek(0))
        facts.contentHash = PhotoHash(file);
    return facts;
}

#include "assignment/checks/PhotoPixels.h"

#include "files/RegularFile.h"
#include "picture/FileBytes.h"
#include "picture/PictureByContent.h"
#include "picture/PictureErrors.h"
#include "picture/TBitmap.h"

#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <vector>

namespace {

std::shared_ptr<std::vector<std::uint8_t>> ReadWholeFile(const QString& path)
{
    if (!QFileInfo::exists(path))
        throw EUnreadablePhoto("图片文件不存在");
    QFile file;
    try {
        OpenRegularFile(file, path);
    } catch (const EFileAccessError& error) {
        throw EUnreadablePhoto(error.what());
    }
    const qint64 size = file.size();
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxPictureFileBytes)
        throw EUnreadablePhoto("图片文件太大");
    auto bytes = std::make_shared<std::vector<std::uint8_t>>(static_cast<std::size_t>(size));
    if (file.read(reinterpret_cast<char*>(bytes->data()), size) != size)
        throw EUnreadablePhoto(QStringLiteral("读取图片文件时出错（%1）").arg(file.errorString()).toStdString());
    return bytes;
}

std::string Damaged(PictureKind kind, const std::exception& error)
{
    return QStringLiteral("%1 图片已损坏（%2）")
        .arg(QLatin1String(PictureKindName(kind)), QString::fromUtf8(error.what()))
        .toStdString();
}

} // namespace

PhotoPixels::PhotoPixels(const QString& path)
{
    const std::shared_ptr<std::vector<std::uint8_t>> bytes = ReadWholeFile(path);
    const std::optional<PictureKind> kind = SniffPictureKind(*bytes);
    if (!kind)
        throw EUnreadablePhoto("不是 JPEG 或 BMP 图片");
    kind_ = *kind;
    try {
        graphic_ = LoadPictureByContent(bytes);
    } catch (const EPictureError& error) {
        throw EUnreadablePhoto(Damaged(kind_, error));
    }
    if (graphic_->Width() <= 0 || graphic_->Height() <= 0)
        throw EUnreadablePhoto("图片没有像素");
}

PhotoPixels::~PhotoPixels() = default;

PictureSize PhotoPixels::Size() const
{
    return {graphic_->Width(), graphic_->Height()};
}

std::unique_ptr<TBitmap> PhotoPixels::Sample(PictureSize size)
{
    auto sample = std::make_unique<TBitmap>();
    try {
        sample->SetSize(size.Width, size.Height);
        sample->Canvas().StretchDraw(TRect{0, 0, size.Width, size.Height}, graphic_.get());
    } catch (const EPictureError& error) {
        throw EUnreadablePhoto(Damaged(kind_, error));
    }
    return sample;
}

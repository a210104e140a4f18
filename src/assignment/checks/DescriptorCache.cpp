#include "assignment/checks/DescriptorCache.h"

#include "files/FileSystemPath.h"
#include "files/FolderHandle.h"
#include "files/PhotoHash.h"
#include "files/ReplaceFile.h"
#include "files/SystemErrorText.h"

#include <QDataStream>
#include <QDir>
#include <QFile>

#include <cmath>

namespace {

const QByteArray kMagic = QByteArrayLiteral("SPFACES1");
const QString kFacesFolder = QStringLiteral("faces");
const QString kCacheFile = QStringLiteral("descriptors.bin");
// A cache of a school's every photo is a few megabytes; far more is not one.
constexpr std::uint64_t kMostCacheBytes = std::uint64_t{256} << 20;
// Site photos are small; a file far larger is not read for its hash.
constexpr std::uint64_t kMostPhotoBytes = std::uint64_t{64} << 20;
constexpr qsizetype kHashLength = 64; // PhotoHash's hex digits

bool IsHash(const QByteArray& hash)
{
    if (hash.size() != kHashLength)
        return false;
    for (const char c : hash) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

FolderHandle OpenCacheFolder(const QString& dataFolder, const QString& siteName, bool create)
{
    std::error_code error;
    if (siteName.isEmpty() || dataFolder.isEmpty() || (create && !QDir().mkpath(dataFolder)))
        return {};
    FolderHandle folder = FolderHandle::OpenWithin(FileSystemPath(dataFolder),
                                                   FileSystemPath(kFacesFolder + u'/' + siteName), create, error);
    if (error)
        return {};
    // Faces are personal data: for the data folder's owner only.
    if (create)
        QFile::setPermissions(QDir(dataFolder).filePath(kFacesFolder),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return folder;
}

} // namespace

QByteArray EncodeDescriptors(const DescriptorsByHash& descriptors)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.setFloatingPointPrecision(QDataStream::SinglePrecision);
    out.writeRawData(kMagic.constData(), static_cast<int>(kMagic.size()));
    out << static_cast<quint32>(descriptors.size());
    for (auto entry = descriptors.cbegin(); entry != descriptors.cend(); ++entry) {
        out.writeRawData(entry.key().constData(), static_cast<int>(entry.key().size()));
        out << static_cast<quint8>(entry.value() ? 1 : 0);
        if (entry.value()) {
            for (const float number : *entry.value())
                out << number;
        }
    }
    return bytes + PhotoHash(bytes);
}

std::optional<DescriptorsByHash> DecodeDescriptors(const QByteArray& bytes)
{
    if (bytes.size() < kMagic.size() + 4 + kHashLength)
        return std::nullopt;
    const QByteArray body = bytes.first(bytes.size() - kHashLength);
    if (!body.startsWith(kMagic) || PhotoHash(body) != bytes.sliced(body.size()))
        return std::nullopt;
    QDataStream in(body.sliced(kMagic.size()));
    in.setByteOrder(QDataStream::LittleEndian);
    in.setFloatingPointPrecision(QDataStream::SinglePrecision);
    quint32 count = 0;
    in >> count;
    DescriptorsByHash descriptors;
    for (quint32 i = 0; i < count; ++i) {
        QByteArray hash(kHashLength, '\0');
        quint8 hasFace = 2;
        if (in.readRawData(hash.data(), static_cast<int>(kHashLength)) != kHashLength || !IsHash(hash))
            return std::nullopt;
        in >> hasFace;
        if (in.status() != QDataStream::Ok || hasFace > 1 || descriptors.contains(hash))
            return std::nullopt;
        RowFace face;
        if (hasFace == 1) {
            face.emplace();
            for (float& number : *face) {
                in >> number;
                if (!std::isfinite(number))
                    return std::nullopt;
            }
        }
        if (in.status() != QDataStream::Ok)
            return std::nullopt;
        descriptors.insert(hash, face);
    }
    if (!in.atEnd())
        return std::nullopt;
    return descriptors;
}

DescriptorsByHash ReadDescriptorCache(const QString& dataFolder, const QString& siteName)
{
    const FolderHandle folder = OpenCacheFolder(dataFolder, siteName, false);
    if (!folder.IsOpen())
        return {};
    std::error_code error;
    FileHandle file = folder.OpenForReading(NativeName(kCacheFile), error);
    if (error)
        return {};
    const std::string bytes = file.ReadAll(kMostCacheBytes, error);
    if (error)
        return {};
    return DecodeDescriptors(QByteArray::fromStdString(bytes)).value_or(DescriptorsByHash{});
}

bool WriteDescriptorCache(const QString& dataFolder, const QString& siteName, const DescriptorsByHash& descriptors)
{
    const FolderHandle folder = OpenCacheFolder(dataFolder, siteName, true);
    if (!folder.IsOpen())
        return false;
    try {
        ReplaceFile(folder, kCacheFile, EncodeDescriptors(descriptors));
    } catch (const EReplaceFileError&) {
        return false;
    }
    return true;
}

QHash<QString, QByteArray> HashFolderFiles(const QString& folder)
{
    QHash<QString, QByteArray> hashes;
    std::error_code error;
    const FolderHandle opened = FolderHandle::Open(FileSystemPath(folder), error);
    if (error)
        return hashes;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        std::error_code fileError;
        FileHandle file = opened.OpenForReading(NativeName(name), fileError);
        if (fileError)
            continue;
        const std::string bytes = file.ReadAll(kMostPhotoBytes, fileError);
        if (!fileError)
            hashes.insert(name, PhotoHash(QByteArray::fromStdString(bytes)));
    }
    return hashes;
}

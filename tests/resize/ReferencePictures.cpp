#include "ReferencePictures.h"

#include <QProcess>
#include <QtEndian>

namespace {

// Reads one whitespace-separated number of a PNM header, skipping comments.
bool ReadHeaderNumber(const QByteArray& data, qsizetype& at, int& value)
{
    while (at < data.size()) {
        if (data[at] == '#') {
            while (at < data.size() && data[at] != '\n')
                ++at;
        } else if (QChar::isSpace(static_cast<uchar>(data[at]))) {
            ++at;
        } else {
            break;
        }
    }
    const qsizetype start = at;
    while (at < data.size() && data[at] >= '0' && data[at] <= '9')
        ++at;
    bool ok = false;
    value = data.mid(start, at - start).toInt(&ok);
    return ok;
}

} // namespace

RgbPixels DjpegDecode(const QString& path, const QStringList& extraArguments)
{
    QProcess djpeg;
    djpeg.start(QStringLiteral("djpeg"), QStringList{QStringLiteral("-pnm")} + extraArguments + QStringList{path});
    if (!djpeg.waitForFinished(60000) || djpeg.exitStatus() != QProcess::NormalExit || djpeg.exitCode() != 0)
        return {};
    const QByteArray data = djpeg.readAllStandardOutput();
    if (data.size() < 2 || data[0] != 'P' || (data[1] != '5' && data[1] != '6'))
        return {};
    const int channels = data[1] == '6' ? 3 : 1;
    qsizetype at = 2;
    int width = 0, height = 0, maxValue = 0;
    if (!ReadHeaderNumber(data, at, width) || !ReadHeaderNumber(data, at, height)
        || !ReadHeaderNumber(data, at, maxValue) || maxValue != 255)
        return {};
    ++at; // the single blank after the header
    const qsizetype needed = static_cast<qsizetype>(width) * height * channels;
    if (data.size() - at < needed)
        return {};
    RgbPixels picture{width, height, {}};
    picture.pixels.reserve(static_cast<std::size_t>(width) * height);
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData() + at);
    for (qsizetype i = 0; i < static_cast<qsizetype>(width) * height; ++i) {
        const uchar* p = bytes + i * channels;
        const std::uint32_t r = p[0], g = p[channels == 3 ? 1 : 0], b = p[channels == 3 ? 2 : 0];
        picture.pixels.push_back((r << 16) | (g << 8) | b);
    }
    return picture;
}

RgbPixels NearestNeighbourSample(const RgbPixels& source, int width, int height, SourceRegion region)
{
    const int regionWidth = region.width < 0 ? source.width : region.width;
    const int regionHeight = region.height < 0 ? source.height : region.height;
    RgbPixels sample{width, height, {}};
    sample.pixels.reserve(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const int sourceY = region.top + static_cast<int>(static_cast<std::int64_t>(y) * regionHeight / height);
        for (int x = 0; x < width; ++x) {
            const int sourceX = region.left + static_cast<int>(static_cast<std::int64_t>(x) * regionWidth / width);
            sample.pixels.push_back(source.At(sourceX, sourceY));
        }
    }
    return sample;
}

Bmp32 ReadBmp32(const QByteArray& bytes)
{
    Bmp32 result;
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    const auto fail = [&result](const QString& problem) {
        result.problem = problem;
        return result;
    };
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M')
        return fail(QStringLiteral("no BMP header"));
    const auto u32 = [data](int at) { return qFromLittleEndian<quint32>(data + at); };
    const auto i32 = [data](int at) { return qFromLittleEndian<qint32>(data + at); };
    const auto u16 = [data](int at) { return qFromLittleEndian<quint16>(data + at); };
    const int width = i32(18), height = i32(22);
    if (u32(2) != static_cast<quint32>(bytes.size()))
        return fail(QStringLiteral("file size field %1, file %2").arg(u32(2)).arg(bytes.size()));
    if (u32(10) != 54 || u32(14) != 40 || u16(26) != 1 || u16(28) != 32 || u32(30) != 0)
        return fail(QStringLiteral("not a plain 32-bit BMP"));
    if (width <= 0 || height <= 0)
        return fail(QStringLiteral("size %1 x %2").arg(width).arg(height));
    const qsizetype rowBytes = static_cast<qsizetype>(width) * 4;
    if (u32(34) != rowBytes * height || bytes.size() != 54 + rowBytes * height)
        return fail(QStringLiteral("image size does not match"));
    result.picture = {width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
    for (int y = 0; y < height; ++y) {
        const uchar* row = data + 54 + (height - 1 - y) * rowBytes;
        for (int x = 0; x < width; ++x) {
            const uchar* p = row + x * 4;
            result.picture.pixels[static_cast<std::size_t>(y) * width + x] =
                (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
        }
    }
    result.valid = true;
    return result;
}

#include "platform/text/LocalText.h"

#include "platform/text/Gb18030.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

constexpr auto kDecoderFlags = QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;

} // namespace

bool IsUtf8(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, kDecoderFlags);
    [[maybe_unused]] const QString text = utf8(bytes);
    return !utf8.hasError();
}

bool IsGb18030(QByteArrayView bytes)
{
    return DecodeGb18030(bytes).has_value();
}

std::optional<QString> DecodeLocalText(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, kDecoderFlags);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return DecodeGb18030(bytes);
}

bool StartsWithUtf16Bom(QByteArrayView bytes)
{
    return bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
}

std::optional<Utf16Order> UnmarkedUtf16Order(QByteArrayView bytes)
{
    constexpr qsizetype kUnitsLookedAt = 2048;
    if (bytes.size() % 2 != 0 || bytes.size() < 4)
        return std::nullopt;
    const qsizetype units = std::min(bytes.size() / 2, kUnitsLookedAt);
    qsizetype zeroSecond = 0; // ASCII in UTF-16LE: the character, then zero
    qsizetype zeroFirst = 0;  // ASCII in UTF-16BE
    for (qsizetype i = 0; i < units; ++i) {
        const bool first = bytes[2 * i] == '\0';
        const bool second = bytes[2 * i + 1] == '\0';
        zeroSecond += second && !first ? 1 : 0;
        zeroFirst += first && !second ? 1 : 0;
    }
    if (zeroFirst == 0 && 4 * zeroSecond >= 3 * units)
        return Utf16Order::LittleEndian;
    if (zeroSecond == 0 && 4 * zeroFirst >= 3 * units)
        return Utf16Order::BigEndian;
    return std::nullopt;
}

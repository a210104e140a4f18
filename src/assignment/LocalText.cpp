#include "assignment/LocalText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

constexpr auto kDecoderFlags = QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;

// The GB18030 reading of the bytes, when they are GB18030 without a fault:
// the decoder reports none, so the text must encode back to the same bytes.
std::optional<QString> StrictGb18030(QByteArrayView bytes)
{
    QStringDecoder decoder("GB18030", kDecoderFlags);
    QString text = decoder(bytes);
    QStringEncoder encoder("GB18030");
    if (QByteArray(encoder(text)) != bytes)
        return std::nullopt;
    return text;
}

} // namespace

bool IsUtf8(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, kDecoderFlags);
    [[maybe_unused]] const QString text = utf8(bytes);
    return !utf8.hasError();
}

bool IsGb18030(QByteArrayView bytes)
{
    return StrictGb18030(bytes).has_value();
}

std::optional<QString> DecodeLocalText(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, kDecoderFlags);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return StrictGb18030(bytes);
}

bool StartsWithUtf16Bom(QByteArrayView bytes)
{
    return bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
}

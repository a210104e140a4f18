#include "platform/text/LocalText.h"

#include "platform/text/Gb18030.h"

#include <QStringDecoder>

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

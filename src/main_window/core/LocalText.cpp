#include "main_window/core/LocalText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

constexpr auto kDecoderFlags = QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;

QString DecodeGb18030(QByteArrayView bytes)
{
    QStringDecoder gb18030("GB18030", kDecoderFlags);
    return gb18030(bytes);
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
    QStringEncoder gb18030("GB18030");
    return QByteArray(gb18030(DecodeGb18030(bytes))) == bytes;
}

std::optional<QString> DecodeLocalText(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, kDecoderFlags);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    if (IsGb18030(bytes))
        return DecodeGb18030(bytes);
    return std::nullopt;
}

bool StartsWithUtf16Bom(QByteArrayView bytes)
{
    return bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
}

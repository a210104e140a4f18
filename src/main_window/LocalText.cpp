#include "main_window/LocalText.h"

#include <QStringDecoder>

QString DecodeLocalText(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    // The GB18030 decoder does not report invalid bytes; it is the fallback
    // that takes whatever the UTF-8 decoder refused.
    QStringDecoder gb18030("GB18030");
    return gb18030(bytes);
}

bool StartsWithUtf8Bom(QByteArrayView bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF");
}

bool StartsWithUtf16Bom(QByteArrayView bytes)
{
    return bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
}

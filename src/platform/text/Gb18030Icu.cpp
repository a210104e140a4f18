#include "platform/text/Gb18030.h"

#include <QStringDecoder>
#include <QStringEncoder>

// Qt reads GB18030 through ICU here. Its decoder reports no faults, so the
// text must encode back to the very same bytes.
std::optional<QString> DecodeGb18030(QByteArrayView bytes)
{
    QStringDecoder decoder("GB18030", QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder(bytes);
    QStringEncoder encoder("GB18030");
    if (QByteArray(encoder(text)) != bytes)
        return std::nullopt;
    return text;
}

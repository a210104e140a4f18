#include "main_window/SiteConfig.h"

#include "main_window/LocalText.h"

#include <QFile>
#include <QStringDecoder>
#include <QXmlStreamReader>

namespace {

QByteArray ValueAfterKey(const QByteArray& text, QByteArrayView key)
{
    // In positions counted from 1 the value starts at p + the key's length,
    // p being the key's position or 0 when it does not occur.
    const qsizetype found = text.indexOf(key);
    const qsizetype start = (found < 0 ? 0 : found + 1) + key.size() - 1;
    if (start >= text.size())
        return {};
    const qsizetype end = text.indexOf(';', start);
    return end < 0 ? text.mid(start) : text.mid(start, end - start);
}

bool LooksLikeUtf16(const QByteArray& bytes)
{
    // With a byte-order mark, or an XML file whose first "<" has a zero byte
    // beside it.
    return StartsWithUtf16Bom(bytes) || bytes.startsWith(QByteArrayView("<\0", 2))
        || bytes.startsWith(QByteArrayView("\0<", 2));
}

QByteArray Utf16ToUtf8(const QByteArray& bytes)
{
    // Without a mark the zero byte's side tells the byte order.
    QStringDecoder decoder(bytes.startsWith("\xFE\xFF") || bytes.startsWith('\0') ? QStringDecoder::Utf16BE
                                                                                : QStringDecoder::Utf16LE);
    return QString(decoder(bytes)).toUtf8();
}

std::string Text(const QString& text)
{
    return text.toStdString();
}

} // namespace

ConnectionSettings ReadConnectionSettings(const QByteArray& xmlText)
{
    ConnectionSettings settings;
    settings.UserId = ValueAfterKey(xmlText, "id=");
    settings.Password = ValueAfterKey(xmlText, "password=");
    settings.Server = ValueAfterKey(xmlText, "server=");
    settings.Database = ValueAfterKey(xmlText, "database=");
    return settings;
}

QByteArray BuildConnectionString(const ConnectionSettings& settings)
{
    return "Provider=SQLOLEDB.1;Password=" + settings.Password + ";Persist Security Info=True;User ID="
        + settings.UserId + ";Initial Catalog=" + settings.Database + ";Data Source=" + settings.Server;
}

QByteArray LoadWebConfigText(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        throw EWebConfigError(Text(QStringLiteral("找不到配置文件 %1").arg(path)));
    if (!file.open(QIODevice::ReadOnly))
        throw EWebConfigError(Text(QStringLiteral("无法读取配置文件 %1：%2").arg(path, file.errorString())));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EWebConfigError(Text(QStringLiteral("无法读取配置文件 %1：%2").arg(path, file.errorString())));

    // The stream reader is a conforming, non-validating parser: it follows the
    // file's byte-order mark and encoding declaration and stops at the first
    // well-formedness error, an empty file included.
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd())
        reader.readNext();
    if (reader.hasError()) {
        throw EWebConfigError(Text(QStringLiteral("配置文件 %1 不是格式正确的 XML（第 %2 行第 %3 列）：%4")
                                       .arg(path)
                                       .arg(reader.lineNumber())
                                       .arg(reader.columnNumber())
                                       .arg(reader.errorString())));
    }

    // The scan looks for ASCII keys byte by byte, so UTF-16 text must become
    // 8-bit first; every other encoding already holds its ASCII as bytes.
    return LooksLikeUtf16(bytes) ? Utf16ToUtf8(bytes) : bytes;
}

QString SiteConnectionString(const QString& installationFolder)
{
    const QByteArray text = LoadWebConfigText(installationFolder + QStringLiteral("Web.config"));
    return DecodeLocalText(BuildConnectionString(ReadConnectionSettings(text)));
}

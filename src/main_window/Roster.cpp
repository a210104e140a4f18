#include "main_window/Roster.h"

#include "main_window/LocalText.h"

#include <QFile>
#include <QStringDecoder>

namespace {

QString RosterText(const QByteArray& bytes)
{
    if (StartsWithUtf16Bom(bytes)) {
        // Notepad's "Unicode" files: every other byte is zero, so the zero
        // that ends the roster is a zero character here.
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        const QString text = utf16(bytes);
        const qsizetype zero = text.indexOf(QChar(0));
        return zero < 0 ? text : text.left(zero);
    }
    QByteArrayView view(bytes);
    const qsizetype zero = view.indexOf('\0');
    if (zero >= 0)
        view = view.first(zero);
    if (StartsWithUtf8Bom(view))
        view = view.sliced(3);
    return DecodeLocalText(view);
}

} // namespace

QStringList SplitRoster(const QByteArray& bytes)
{
    const QString text = RosterText(bytes);
    QStringList codes;
    qsizetype lineStart = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') {
            ++i;
            continue;
        }
        codes << text.mid(lineStart, i - lineStart);
        i += (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ? 2 : 1;
        lineStart = i;
    }
    if (lineStart < text.size())
        codes << text.mid(lineStart);
    return codes;
}

QStringList ReadRoster(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ERosterError(QStringLiteral("无法打开学籍号文件 %1：%2").arg(path, file.errorString()).toStdString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ERosterError(QStringLiteral("无法读取学籍号文件 %1：%2").arg(path, file.errorString()).toStdString());
    return SplitRoster(bytes);
}

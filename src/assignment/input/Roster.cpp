#include "assignment/input/Roster.h"

#include "files/RegularFile.h"
#include "platform/text/LocalText.h"

#include <QList>
#include <QStringDecoder>

#include <algorithm>
#include <optional>

namespace {

[[noreturn]] void Refuse(const QString& message)
{
    throw ERosterError(message.toStdString());
}

// Splits at CR LF, a lone CR or a lone LF; a line end at the very end makes
// no empty last line. Bytes and characters split alike: no multi-byte
// sequence of UTF-8 or GB18030 holds a CR or LF byte.
template <typename Text> QList<Text> SplitLines(const Text& text)
{
    QList<Text> lines;
    qsizetype lineStart = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const auto c = text[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines << text.mid(lineStart, i - lineStart);
        i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
        lineStart = i;
    }
    if (lineStart < text.size())
        lines << text.mid(lineStart);
    return lines;
}

// Bytes neither valid UTF-8 nor faultless GB18030: the first line that is
// neither, or else the two lines that show the file mixes both.
[[noreturn]] void RefuseEncoding(const QByteArray& bytes, const QString& fileNoun)
{
    std::optional<qsizetype> utf8Only;
    std::optional<qsizetype> gb18030Only;
    const QList<QByteArray> lines = SplitLines(bytes);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const bool utf8 = IsUtf8(lines[i]);
        const bool gb18030 = IsGb18030(lines[i]);
        if (!utf8 && !gb18030)
            Refuse(
                QStringLiteral("%1第 %2 行既不是 UTF-8 也不是 GB18030 编码的文字，无法读取").arg(fileNoun).arg(i + 1));
        if (utf8 && !gb18030 && !utf8Only)
            utf8Only = i;
        if (gb18030 && !utf8 && !gb18030Only)
            gb18030Only = i;
    }
    Refuse(QStringLiteral("%1混用了 UTF-8（第 %2 行）和 GB18030（第 %3 行）两种编码，请另存为同一种编码后重试")
               .arg(fileNoun)
               .arg(utf8Only.value_or(0) + 1)
               .arg(gb18030Only.value_or(0) + 1));
}

// Whether a line of a roster read as GB18030 is plainly UTF-8 instead:
// valid UTF-8 with a character of three bytes or more, every character
// beyond ASCII Chinese, as names and codes in UTF-8 are. GB18030 text makes
// such a run only by rare chance.
bool LooksLikeUtf8Chinese(const QByteArray& line)
{
    if (!IsUtf8(line))
        return false;
    const bool longSequence = std::any_of(line.cbegin(), line.cend(), [](char c) { return uchar(c) >= 0xE0; });
    if (!longSequence)
        return false;
    for (const QChar c : QString::fromUtf8(line)) {
        const char16_t u = c.unicode();
        const bool chinese = (u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF)
                             || (u >= 0xFF00 && u <= 0xFFEF) || (u >= 0x3000 && u <= 0x303F);
        if (u >= 0x80 && !chinese)
            return false;
    }
    return true;
}

// A roster of GB18030 lines and UTF-8 lines is valid GB18030 as a whole,
// and shows its UTF-8 lines garbled ("寮犱笁" for "张三"): refused.
void RefuseMixedEncodings(const QByteArray& bytes, const QString& fileNoun)
{
    const QList<QByteArray> lines = SplitLines(bytes);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (LooksLikeUtf8Chinese(lines[i]))
            Refuse(QStringLiteral("%1第 %2 行是 UTF-8 编码的文字，而文件的其余部分是 GB18030 编码，"
                                  "请另存为同一种编码后重试")
                       .arg(fileNoun)
                       .arg(i + 1));
    }
}

QString RosterText(const QByteArray& bytes, const QString& fileNoun)
{
    QString text;
    if (StartsWithUtf16Bom(bytes)) {
        // Notepad's "Unicode" files; their faults become U+FFFD, refused below.
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        text = utf16(bytes);
    } else if (const std::optional<Utf16Order> order = UnmarkedUtf16Order(bytes)) {
        QStringDecoder utf16(*order == Utf16Order::LittleEndian ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        text = utf16(bytes);
    } else {
        QByteArray used = bytes.left(bytes.indexOf('\0') < 0 ? bytes.size() : bytes.indexOf('\0'));
        // A UTF-8 mark is dropped before the text is looked at, as earlier
        // versions of the tool did, also before GB18030 text.
        const bool marked = used.startsWith("\xEF\xBB\xBF");
        if (marked)
            used.remove(0, 3);
        const std::optional<QString> decoded = DecodeLocalText(used);
        if (!decoded)
            RefuseEncoding(used, fileNoun);
        if (!IsUtf8(used))
            RefuseMixedEncodings(used, fileNoun);
        text = *decoded;
        // GB18030's own mark.
        if (!marked && text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
    }
    // A zero ends the roster (in UTF-16 a zero character).
    if (const qsizetype zero = text.indexOf(QChar(0)); zero >= 0)
        text.truncate(zero);
    return text;
}

bool IsInvisibleFormatCharacter(char16_t c)
{
    return (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

void CheckLine(const QString& code, qsizetype lineNumber, const QString& fileNoun)
{
    // U+FFFD stands for a character lost on the way, as does half a UTF-16 pair.
    if (code.contains(QChar::ReplacementCharacter) || !code.isValidUtf16())
        Refuse(QStringLiteral("%1第 %2 行含有无法识别的字符").arg(fileNoun).arg(lineNumber));
    for (const QChar c : code) {
        if (IsInvisibleFormatCharacter(c.unicode())) {
            Refuse(QStringLiteral("%1第 %2 行含有看不见的格式字符 U+%3")
                       .arg(fileNoun)
                       .arg(lineNumber)
                       .arg(QString::number(c.unicode(), 16).toUpper()));
        }
    }
}

} // namespace

QStringList SplitCheckedLines(const QByteArray& bytes, const QString& fileNoun)
{
    QStringList lines = SplitLines(RosterText(bytes, fileNoun));
    for (qsizetype i = 0; i < lines.size(); ++i)
        CheckLine(lines[i], i + 1, fileNoun);
    return lines;
}

QStringList SplitRoster(const QByteArray& bytes)
{
    return SplitCheckedLines(bytes, QStringLiteral("学籍号文件"));
}

QStringList ReadRoster(const QString& path)
{
    try {
        return SplitRoster(ReadRegularFile(path, kMaxRosterBytes));
    } catch (const EFileAccessError& error) {
        throw ERosterError(error.what());
    }
}

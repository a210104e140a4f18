#include "platform/database/ConnectionStringSyntax.h"

namespace {

bool IsQuote(QChar c)
{
    return c == u'"' || c == u'\'';
}

class Parser {
public:
    explicit Parser(const QString& text) : text_(text) { }

    ParsedConnectionString Parse()
    {
        ParsedConnectionString parsed;
        for (;;) {
            while (pos_ < text_.size() && (text_[pos_].isSpace() || text_[pos_] == u';'))
                ++pos_;
            if (pos_ >= text_.size())
                return parsed;
            const qsizetype start = pos_;
            const QString key = Key();
            if (key.isEmpty()) {
                parsed.problem = QStringLiteral("“%1”不是“键=值”的形式").arg(text_.mid(start).section(u';', 0, 0));
                return parsed;
            }
            QString value;
            if (!Value(value)) {
                parsed.problem = QStringLiteral("“%1”的值的引号没有正确结束").arg(key);
                return parsed;
            }
            parsed.pairs.append({key, value});
        }
    }

private:
    // Up to the "=" that ends the key; empty when there is none.
    QString Key()
    {
        QString key;
        while (pos_ < text_.size()) {
            const QChar c = text_[pos_++];
            if (c == u'=') {
                if (pos_ < text_.size() && text_[pos_] == u'=') {
                    key += c;
                    ++pos_;
                    continue;
                }
                return key.trimmed();
            }
            if (c == u';')
                return {};
            key += c;
        }
        return {};
    }

    bool Value(QString& value)
    {
        while (pos_ < text_.size() && text_[pos_].isSpace() && text_[pos_] != u';')
            ++pos_;
        if (pos_ < text_.size() && IsQuote(text_[pos_])) {
            const QChar quote = text_[pos_++];
            for (;;) {
                if (pos_ >= text_.size())
                    return false;
                const QChar c = text_[pos_++];
                if (c == quote) {
                    if (pos_ < text_.size() && text_[pos_] == quote) {
                        value += quote;
                        ++pos_;
                        continue;
                    }
                    break;
                }
                value += c;
            }
            // Only blanks may follow the closing quotation mark.
            while (pos_ < text_.size() && text_[pos_].isSpace())
                ++pos_;
            return pos_ >= text_.size() || text_[pos_] == u';';
        }
        const qsizetype end = text_.indexOf(u';', pos_);
        value = text_.mid(pos_, end < 0 ? -1 : end - pos_).trimmed();
        pos_ = end < 0 ? text_.size() : end;
        return true;
    }

    const QString& text_;
    qsizetype pos_ = 0;
};

} // namespace

ParsedConnectionString ParseConnectionString(const QString& text)
{
    return Parser(text).Parse();
}

QString QuoteConnectionValue(const QString& value)
{
    if (value.isEmpty())
        return value;
    const bool needsQuotes =
        value.contains(u';') || IsQuote(value.front()) || value.front().isSpace() || value.back().isSpace();
    if (!needsQuotes)
        return value;
    if (!value.contains(u'"'))
        return u'"' + value + u'"';
    if (!value.contains(u'\''))
        return u'\'' + value + u'\'';
    return u'"' + QString(value).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

#include "main_window/Roster.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray Gb18030(const QString& text)
{
    QStringEncoder encoder("GB18030");
    return encoder(text);
}

QByteArray Utf16Le(const QString& text)
{
    QStringEncoder encoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    return encoder(text);
}

TEST(SplitRoster, OneCodePerLineWhateverTheLineEnds)
{
    const struct {
        QByteArray bytes;
        QStringList codes;
    } cases[] = {
        {"001\r\n002\r\n003", {"001", "002", "003"}},
        {"001\r\n002\r\n003\r\n", {"001", "002", "003"}},
        {"001\n002\n003\n", {"001", "002", "003"}},
        {"001\r002\r003", {"001", "002", "003"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {" 001 \n   \n", {" 001 ", "   "}},
        {"\n", {""}},
        {"", {}},
        // A zero byte ends the roster.
        {QByteArray("a\nb\0c\nd", 7), {"a", "b"}},
        {QByteArray("\0abc", 4), {}},
        // A byte-order mark is not part of the first code.
        {"\xEF\xBB\xBF" "001\n002", {"001", "002"}},
        {"\xEF\xBB\xBF", {}},
        // GB18030 (code page 936) when the bytes are not UTF-8; UTF-8 when they are.
        {Gb18030(QStringLiteral("张三\r\n李四")), {"张三", "李四"}},
        {QStringLiteral("张三\r\n李四").toUtf8(), {"张三", "李四"}},
        {Gb18030(QStringLiteral("学籍号\n")), {"学籍号"}},
        // Notepad's UTF-16.
        {Utf16Le(QStringLiteral("甲1\r\n乙2\r\n")), {"甲1", "乙2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.toHex().toStdString());
        EXPECT_EQ(SplitRoster(c.bytes), c.codes);
    }
}

TEST(ReadRoster, ReadsTheWholeFileOrFails)
{
    QTemporaryDir temp;
    WriteFile(temp.filePath("roster.txt"), Gb18030(QStringLiteral("001\r\n王五\r\n003")));
    EXPECT_EQ(ReadRoster(temp.filePath("roster.txt")), (QStringList{"001", "王五", "003"}));
    EXPECT_THROW(ReadRoster(temp.filePath("absent.txt")), ERosterError);
    EXPECT_THROW(ReadRoster(temp.path()), ERosterError);
}

} // namespace

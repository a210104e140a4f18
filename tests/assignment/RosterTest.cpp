#include "assignment/input/Roster.h"

#include "files/RegularFile.h"
#include "support/ErrorOf.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// The GB18030 bytes the rows use, spelled out: Qt built without ICU (on
// Windows) has no GB18030 encoder to make them.
const QByteArray kZhangSanLiSi = "\xD5\xC5\xC8\xFD\r\n\xC0\xEE\xCB\xC4"; // 张三 CR LF 李四
const QByteArray kLiSi = "\xC0\xEE\xCB\xC4";                             // 李四
const QByteArray kStudentCode = "\xD1\xA7\xBC\xAE\xBA\xC5\n";            // 学籍号 LF
const QByteArray kJiaYiUnknown = "\xBC\xD7\n\xD2\xD2\x84\x31\xA4\x37";   // 甲 LF 乙 U+FFFD
const QByteArray kWangWuRoster = "001\r\n\xCD\xF5\xCE\xE5\r\n003";       // 001 王五 003

QByteArray Utf16Le(const QString& text)
{
    QStringEncoder encoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    return encoder(text);
}

QByteArray Utf16Be(const QString& text)
{
    QStringEncoder encoder(QStringEncoder::Utf16BE, QStringEncoder::Flag::WriteBom);
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
        {"\xEF\xBB\xBF"
         "001\n002",
         {"001", "002"}},
        {"\xEF\xBB\xBF", {}},
        // GB18030 (code page 936) when the bytes are that and not UTF-8; UTF-8 when they are.
        {kZhangSanLiSi, {"张三", "李四"}},
        {QStringLiteral("张三\r\n李四").toUtf8(), {"张三", "李四"}},
        {kStudentCode, {"学籍号"}},
        // Notepad's UTF-16.
        {Utf16Le(QStringLiteral("甲1\r\n乙2\r\n")), {"甲1", "乙2"}},
        // UTF-16 without its mark, as scripts write it, in either byte order.
        {Utf16Le(QStringLiteral("2023001\r\n2023002\r\n")).mid(2), {"2023001", "2023002"}},
        {Utf16Be(QStringLiteral("2023001\n张三\n")).mid(2), {"2023001", "张三"}},
        // Too few zero bytes for that: a zero still ends the roster.
        {QByteArray("\0abc", 4), {}},
        {QByteArray("ab\0\0cd", 6), {"ab"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.toHex().toStdString());
        EXPECT_EQ(SplitRoster(c.bytes), c.codes);
    }
}

TEST(SplitRoster, RefusesTextThatCannotBeTrusted)
{
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    const struct {
        QByteArray bytes;
        QString message;
    } rows[] = {
        // One bad byte no longer turns UTF-8 into GB18030 mojibake.
        {QStringLiteral("张伟\n李娜\n").toUtf8() + "ab\xFF\n",
         QStringLiteral("学籍号文件第 3 行既不是 UTF-8 也不是 GB18030 编码的文字，无法读取")},
        {"a\n\x81\x30", QStringLiteral("学籍号文件第 2 行既不是 UTF-8 也不是 GB18030 编码的文字，无法读取")},
        {QStringLiteral("张1\n").toUtf8() + kLiSi,
         QStringLiteral("学籍号文件混用了 UTF-8（第 1 行）和 GB18030（第 2 行）两种编码，请另存为同一种编码后重试")},
        // Valid GB18030 as a whole, but a line of it is plainly UTF-8.
        {kWangWuRoster + "\r\n" + QStringLiteral("赵六").toUtf8() + "\r\n005",
         QStringLiteral(
             "学籍号文件第 4 行是 UTF-8 编码的文字，而文件的其余部分是 GB18030 编码，请另存为同一种编码后重试")},
        {QByteArray("\xD5\xC5\xC8\xFD\n") + QStringLiteral("李四").toUtf8(),
         QStringLiteral(
             "学籍号文件第 2 行是 UTF-8 编码的文字，而文件的其余部分是 GB18030 编码，请另存为同一种编码后重试")},
        {"a\n\xEF\xBF\xBD", QStringLiteral("学籍号文件第 2 行含有无法识别的字符")},
        {kJiaYiUnknown, QStringLiteral("学籍号文件第 2 行含有无法识别的字符")},
        {utf16(QStringLiteral("a\r\n")) + QByteArray("\x00\xD8\x62\x00", 4),
         QStringLiteral("学籍号文件第 2 行含有无法识别的字符")},
        {"00\xE2\x80\x8B"
         "1",
         QStringLiteral("学籍号文件第 1 行含有看不见的格式字符 U+200B")},
        {"a\n\xE2\x80\xAE"
         "1",
         QStringLiteral("学籍号文件第 2 行含有看不见的格式字符 U+202E")},
        {"\xE2\x81\xA9", QStringLiteral("学籍号文件第 1 行含有看不见的格式字符 U+2069")},
        {"\xEF\xBB\xBF\xEF\xBB\xBF"
         "1",
         QStringLiteral("学籍号文件第 1 行含有看不见的格式字符 U+FEFF")},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(QString::fromStdString(ErrorOf<ERosterError>([&] { SplitRoster(row.bytes); })), row.message)
            << row.bytes.toHex().toStdString();
    }
}

TEST(ReadRoster, ReadsARegularFileOfAtMost16MiB)
{
    QTemporaryDir temp;
    WriteFile(temp.filePath("roster.txt"), kWangWuRoster);
    EXPECT_EQ(ReadRoster(temp.filePath("roster.txt")), (QStringList{"001", "王五", "003"}));
    // Sparse files: all zero bytes, so an empty roster when read.
    QFile limit(temp.filePath("limit.txt"));
    ASSERT_TRUE(limit.open(QIODevice::WriteOnly) && limit.resize(kMaxRosterBytes));
    EXPECT_EQ(ReadRoster(limit.fileName()), QStringList());
    QFile large(temp.filePath("large.txt"));
    ASSERT_TRUE(large.open(QIODevice::WriteOnly) && large.resize(kMaxRosterBytes + 1));

    std::vector<std::pair<QString, QString>> refused = {
        {temp.filePath("absent.txt"), QStringLiteral("找不到文件 ") + temp.filePath("absent.txt")},
        {temp.path(), NotRegularFileMessage(temp.path())},
        {large.fileName(), QStringLiteral("文件 %1 大于 16 MiB，不予读取").arg(large.fileName())},
    };
#ifndef _WIN32 // no named pipes or devices in Windows folders
    ASSERT_EQ(::mkfifo(QFile::encodeName(temp.filePath("pipe.txt")).constData(), 0600), 0);
    refused.emplace_back(temp.filePath("pipe.txt"), NotRegularFileMessage(temp.filePath("pipe.txt")));
    refused.emplace_back("/dev/zero", NotRegularFileMessage("/dev/zero"));
#endif
    for (const auto& [path, message] : refused)
        EXPECT_EQ(QString::fromStdString(ErrorOf<ERosterError>([&] { ReadRoster(path); })), message);
}

} // namespace

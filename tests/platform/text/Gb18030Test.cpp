// GB18030 read alike on every platform: through ICU on Linux, through code
// page 936 and GB18030's tables on Windows.
#include "platform/text/Gb18030.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(DecodeGb18030, ReadsOneTwoAndFourByteCharacters)
{
    const struct {
        QByteArray bytes;
        QString text;
    } rows[] = {
        {"", ""},
        {"001 abc", "001 abc"},
        {"\xD5\xC5\xC8\xFD", QStringLiteral("张三")},
        {"20230101\xCD\xF5\xCE\xE5", QStringLiteral("20230101王五")},
        // Four bytes: the first and last of the Basic Multilingual Plane's
        // runs, U+FFFD itself, the byte-order mark (kept).
        {"\x81\x30\x81\x30", QStringLiteral("\u0080")},
        {"\x81\x30\x84\x36", QStringLiteral("\u00A5")},
        {"\x84\x31\xA4\x37", QStringLiteral("\uFFFD")},
        {"\x84\x31\xA4\x39", QStringLiteral("\uFFFF")},
        {"\x84\x31\x95\x33"
         "1",
         QStringLiteral("\uFEFF"
                        "1")},
        // The planes above it, one after another from 90 30 81 30.
        {"\x90\x30\x81\x30", QString::fromUcs4(U"\U00010000")},
        {"\x95\x32\x82\x36", QString::fromUcs4(U"\U00020000")},
        {"\xE3\x32\x9A\x35", QString::fromUcs4(U"\U0010FFFF")},
        // Two-byte codes GB18030 reads other than code page 936 does.
        {"\xA2\xE3", QStringLiteral("\u20AC")},
        {"\xA8\xBC", QStringLiteral("\u1E3F")},
        {"\xFE\x55", QStringLiteral("\u3473")},
        {"\xA6\xD9", QStringLiteral("\uE78D")},
        {"\x81\x35\xF4\x37", QStringLiteral("\uE7C7")},
        // All of it mixed.
        {"a\xD5\xC5\x81\x30\x81\x30\xA8\xBC\x90\x30\x81\x30z",
         QStringLiteral("a张\u0080\u1E3F") + QString::fromUcs4(U"\U00010000") + QStringLiteral("z")},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DecodeGb18030(row.bytes), std::optional<QString>(row.text)) << row.bytes.toHex().toStdString();
}

TEST(DecodeGb18030, RefusesBytesThatAreNoCharacter)
{
    const QByteArray rows[] = {
        "\x80", // the euro of code page 936, no GB18030
        "\xFF",
        "a\xD5",    // a lead byte at the end
        "\xD5\x7F", // no trail byte
        "\xD5\x20",
        "\x81\x30", // four bytes cut short
        "\x81\x30\x81",
        "\x81\x30\x7F\x30",
        "\x81\x30\x81\x7F",
        "\x84\x31\xA5\x30", // past U+FFFF
        "\x8F\x39\xFE\x39", // between the planes
        "\xE3\x32\x9A\x36", // past U+10FFFF
        "\xFE\x39\xFE\x39",
    };
    for (const QByteArray& bytes : rows)
        EXPECT_EQ(DecodeGb18030(bytes), std::nullopt) << bytes.toHex().toStdString();
}

} // namespace

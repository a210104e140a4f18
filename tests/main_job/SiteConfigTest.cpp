#include "main_window/SiteConfig.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

void PrintTo(const ConnectionSettings& s, std::ostream* out)
{
    *out << "{uid " << s.UserId.toStdString() << ", password " << s.Password.toStdString() << ", server "
         << s.Server.toStdString() << ", database " << s.Database.toStdString() << '}';
}

namespace {

TEST(ReadConnectionSettings, FindsEachKeyByItsFirstOccurrence)
{
    const struct {
        const char* name;
        QByteArray text;
        ConnectionSettings expected; // UserId, Password, Server, Database
    } cases[] = {
        {"usual", "<add value=\"server=(local);database=school;uid=sa;password=Pa55word;\"/>",
         {"sa", "Pa55word", "(local)", "school"}},
        {"order does not matter", "password=p;database=d;uid=u;server=s;", {"u", "p", "s", "d"}},
        // Keys with capitals count as not occurring: each value then starts
        // where the key's length points, from the start of the text.
        {"capitalised keys", "User ID=sa;Server=x;Database=y;Password=z;", {"er ID=sa", "sa", "D=sa", "sa"}},
        {"earlier id= wins", "<!-- guid=1234; -->server=s;uid=sa;password=p;database=d;", {"1234", "p", "s", "d"}},
        {"blanks stay", "server= myhost ;database=d;uid=u;password= p w ;", {"u", " p w ", " myhost ", "d"}},
        {"password without its ;", "<add value=\"server=s;database=d;uid=u;password=secret\" />\r\n<x a=\"1;2\"/>",
         {"u", "secret\" />\r\n<x a=\"1", "s", "d"}},
        {"empty value", "server=s;database=;uid=u;password=p;", {"u", "p", "s", ""}},
        // An entity stays as written, and its ";" ends the value.
        {"quotes and entities as written", "server='s';database=a&amp;b;uid=\"u\";password=p&lt;;",
         {"\"u\"", "p&lt", "'s'", "a&amp"}},
        // No ";" after a key at all: the value takes the rest of the text
        // instead of running on for ever.
        {"nothing ends the last value", "uid=u;server=s;database=d;password=tail", {"u", "tail", "s", "d"}},
        {"no ; anywhere", "password=abc", {"ssword=abc", "abc", "rd=abc", "=abc"}},
        {"text shorter than a key", "ab", {"", "", "", ""}},
        {"empty text", "", {"", "", "", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadConnectionSettings(c.text), c.expected) << c.name;
}

class WebConfigLoad : public ::testing::Test {
protected:
    QString Write(const QByteArray& bytes)
    {
        const QString path = temp.filePath("Web.config");
        WriteFile(path, bytes);
        return path;
    }
    QTemporaryDir temp;
};

const QByteArray kWellFormed = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                               "<configuration><appSettings>\n"
                               "<add key=\"c\" value=\"server=db1;database=school;uid=sa;password=a&amp;b;\"/>\n"
                               "</appSettings></configuration>\n";

TEST_F(WebConfigLoad, GivesTheFilesOwnTextWhateverItsEncoding)
{
    EXPECT_EQ(LoadWebConfigText(Write(kWellFormed)), kWellFormed);

    // With a byte-order mark, in UTF-16 or a declared Chinese code page, the
    // scan still finds its keys.
    QByteArray utf16Text = kWellFormed;
    utf16Text.replace("utf-8", "utf-16");
    QStringEncoder gb18030("GB18030");
    QByteArray gbText = kWellFormed;
    gbText.replace("utf-8", "gb2312")
        .replace("<appSettings>", "<!-- " + QByteArray(gb18030(QStringLiteral("学校网站"))) + " --><appSettings>");
    const QByteArray encodings[] = {
        "\xEF\xBB\xBF" + kWellFormed,
        QStringEncoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom)(QString::fromUtf8(utf16Text)),
        QStringEncoder(QStringEncoder::Utf16BE, QStringEncoder::Flag::WriteBom)(QString::fromUtf8(utf16Text)),
        gbText,
    };
    for (const QByteArray& bytes : encodings) {
        SCOPED_TRACE(bytes.left(8).toHex().toStdString());
        EXPECT_EQ(ReadConnectionSettings(LoadWebConfigText(Write(bytes))),
                  (ConnectionSettings{"sa", "a&amp", "db1", "school"}));
    }
}

TEST_F(WebConfigLoad, MissingUnreadableOrIllFormedFilesFail)
{
    EXPECT_THROW(LoadWebConfigText(temp.filePath("absent/Web.config")), EWebConfigError);
    ASSERT_TRUE(QDir(temp.path()).mkdir("folder"));
    EXPECT_THROW(LoadWebConfigText(temp.filePath("folder")), EWebConfigError);

    const QByteArray illFormed[] = {
        "",
        "server=s;database=d;uid=u;password=p;",
        "<configuration><add value=\"server=s;\">",
        "<configuration><add value=\"server=s;\"/></configuration><second/>",
        "<configuration><add value=\"a < b\"/></configuration>",
        "<configuration><add value=\"&nbsp;\"/></configuration>",
        "<a></b>",
    };
    for (const QByteArray& text : illFormed) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_THROW(LoadWebConfigText(Write(text)), EWebConfigError);
    }
}

TEST_F(WebConfigLoad, ErrorNamesTheFileAndThePlace)
{
    try {
        LoadWebConfigText(Write("<configuration>\n<add>\n</configuration>"));
        FAIL() << "no error";
    } catch (const EWebConfigError& error) {
        const QString message = QString::fromUtf8(error.what());
        EXPECT_TRUE(message.contains(temp.filePath("Web.config"))) << error.what();
        EXPECT_TRUE(message.contains(QStringLiteral("第 3 行"))) << error.what();
    }
}

TEST_F(WebConfigLoad, ConfigurationStepJoinsFolderAndFileName)
{
    Write(kWellFormed);
    EXPECT_EQ(SiteConnectionString(temp.path() + "/"),
              QStringLiteral("Provider=SQLOLEDB.1;Password=a&amp;Persist Security Info=True;User ID=sa;"
                             "Initial Catalog=school;Data Source=db1"));
    // Nothing is put between the folder text and the file name.
    EXPECT_THROW(SiteConnectionString(temp.path()), EWebConfigError);
}

} // namespace

#include "main_window/SiteConfig.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ScanCase {
    const char* name;
    QByteArray text;
    ConnectionSettings expected; // UserId, Password, Server, Database
};

void PrintTo(const ScanCase& c, std::ostream* out)
{
    *out << c.name;
}

class ConnectionSettingsScan : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ConnectionSettingsScan, FindsEachKeyByItsFirstOccurrence)
{
    const ConnectionSettings found = ReadConnectionSettings(GetParam().text);
    EXPECT_EQ(found.UserId, GetParam().expected.UserId);
    EXPECT_EQ(found.Password, GetParam().expected.Password);
    EXPECT_EQ(found.Server, GetParam().expected.Server);
    EXPECT_EQ(found.Database, GetParam().expected.Database);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConnectionSettingsScan,
    ::testing::Values(
        ScanCase{"usual", "<add value=\"server=(local);database=school;uid=sa;password=Pa55word;\"/>",
                 {"sa", "Pa55word", "(local)", "school"}},
        ScanCase{"order does not matter", "password=p;database=d;uid=u;server=s;", {"u", "p", "s", "d"}},
        // Keys with capitals count as not occurring: each value then starts
        // where the key's length points, from the start of the text.
        ScanCase{"capitalised keys", "User ID=sa;Server=x;Database=y;Password=z;", {"er ID=sa", "sa", "D=sa", "sa"}},
        ScanCase{"earlier id= wins", "<!-- guid=1234; -->server=s;uid=sa;password=p;database=d;",
                 {"1234", "p", "s", "d"}},
        ScanCase{"blanks stay", "server= myhost ;database=d;uid=u;password= p w ;", {"u", " p w ", " myhost ", "d"}},
        ScanCase{"password without its ;",
                 "<add value=\"server=s;database=d;uid=u;password=secret\" />\r\n<x a=\"1;2\"/>",
                 {"u", "secret\" />\r\n<x a=\"1", "s", "d"}},
        ScanCase{"empty value", "server=s;database=;uid=u;password=p;", {"u", "p", "s", ""}},
        // An entity stays as written, and its ";" ends the value.
        ScanCase{"quotes and entities as written", "server='s';database=a&amp;b;uid=\"u\";password=p&lt;;",
                 {"\"u\"", "p&lt", "'s'", "a&amp"}},
        // No ";" after a key at all: the value takes the rest of the text
        // instead of running on for ever.
        ScanCase{"nothing ends the last value", "uid=u;server=s;database=d;password=tail", {"u", "tail", "s", "d"}},
        ScanCase{"no ; anywhere", "password=abc", {"ssword=abc", "abc", "rd=abc", "=abc"}},
        ScanCase{"text shorter than a key", "ab", {"", "", "", ""}},
        ScanCase{"empty text", "", {"", "", "", ""}}),
    [](const ::testing::TestParamInfo<ScanCase>& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

TEST(BuildConnectionString, JoinsTheValuesUnquotedWithoutAFinalSemicolon)
{
    EXPECT_EQ(BuildConnectionString({"sa", "Pa55word", "(local)", "school"}),
              QByteArray("Provider=SQLOLEDB.1;Password=Pa55word;Persist Security Info=True;User ID=sa;"
                         "Initial Catalog=school;Data Source=(local)"));
    EXPECT_EQ(BuildConnectionString({"", "", "", ""}),
              QByteArray("Provider=SQLOLEDB.1;Password=;Persist Security Info=True;User ID=;Initial Catalog=;"
                         "Data Source="));
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

TEST_F(WebConfigLoad, GivesTheFilesOwnText)
{
    EXPECT_EQ(LoadWebConfigText(Write(kWellFormed)), kWellFormed);
    // With a UTF-8 byte-order mark the keys are still found.
    const ConnectionSettings settings = ReadConnectionSettings(LoadWebConfigText(Write("\xEF\xBB\xBF" + kWellFormed)));
    EXPECT_EQ(settings.Server, QByteArray("db1"));
    EXPECT_EQ(settings.Password, QByteArray("a&amp"));
}

TEST_F(WebConfigLoad, Utf16FilesAreScannedAsEightBitText)
{
    QByteArray utf16Text = kWellFormed;
    utf16Text.replace("utf-8", "utf-16");
    for (const auto encoding : {QStringEncoder::Utf16LE, QStringEncoder::Utf16BE}) {
        QStringEncoder encoder(encoding, QStringEncoder::Flag::WriteBom);
        const QByteArray bytes = encoder(QString::fromUtf8(utf16Text));
        ASSERT_TRUE(bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"));
        const ConnectionSettings settings = ReadConnectionSettings(LoadWebConfigText(Write(bytes)));
        EXPECT_EQ(settings, (ConnectionSettings{"sa", "a&amp", "db1", "school"}));
    }
}

TEST_F(WebConfigLoad, DeclaredChineseCodePageLoads)
{
    QStringEncoder gb("GB18030");
    const QByteArray bytes = "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n<configuration><!-- "
        + QByteArray(gb(QStringLiteral("学校网站"))) + " --><add value=\"server=s;database=d;uid=u;password=p;\"/>"
        + "</configuration>";
    EXPECT_EQ(ReadConnectionSettings(LoadWebConfigText(Write(bytes))), (ConnectionSettings{"u", "p", "s", "d"}));
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

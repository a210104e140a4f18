#include "assignment/site/SiteConfig.h"

#include "platform/database/ConnectionStringSyntax.h"
#include "platform/database/OdbcConnectionString.h"
#include "support/ErrorOf.h"
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

QByteArray InAppSettings(const QByteArray& value)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<configuration><appSettings>\r\n"
           "<add key=\"ConnectionString\" value=\""
           + value + "\"/>\r\n</appSettings></configuration>\r\n";
}

TEST(ReadConnectionSettings, TakesTheFirstConnectionStringByTheUsualRules)
{
    const struct {
        const char* name;
        QByteArray xml;
        ConnectionSettings expected; // UserId, Password, Server, Database
    } rows[] = {
        {"usual",
         InAppSettings("server=(local);database=school;uid=sa;password=Pa55word;"),
         {"sa", "Pa55word", "(local)", "school"}},
        {"order does not matter", InAppSettings("password=p;database=d;uid=u;server=s"), {"u", "p", "s", "d"}},
        {"letter case and synonyms",
         InAppSettings("Data Source=h;Initial Catalog=d;User ID=u;Password=p"),
         {"u", "p", "h", "d"}},
        {"more synonyms", InAppSettings("SERVER=h;DATABASE=d;UID=u;PWD=p"), {"u", "p", "h", "d"}},
        {"and more", InAppSettings("Network Address=h;Database=d;User=u;pwd=p"), {"u", "p", "h", "d"}},
        {"blanks trimmed",
         InAppSettings(" server = my host ;database= d ;uid=u ; password= p w "),
         {"u", "p w", "my host", "d"}},
        {"quoted values",
         InAppSettings("server=s;database='a;b';uid=&quot;x;&quot;&quot;y&quot;;pwd='it''s'"),
         {"x;\"y", "it's", "s", "a;b"}},
        {"entities decoded",
         InAppSettings("server=s;database=a&amp;b;uid=&#x5F20;;pwd=&lt;&gt;"),
         {"张", "<>", "s", "a&b"}},
        {"the later of two counts",
         InAppSettings("server=a;database=d;uid=u;pwd=p;Data Source=b"),
         {"u", "p", "b", "d"}},
        {"an old one commented out",
         "<configuration><!-- <add value=\"server=old;database=old;uid=old;pwd=old\"/> -->"
         "<add key=\"guid\" value=\"id=1234;\"/><add value=\"server=new;database=d;uid=u;pwd=p\"/></configuration>",
         {"u", "p", "new", "d"}},
        {"connectionStrings section",
         "<configuration><connectionStrings><add name=\"school\" providerName=\"System.Data.SqlClient\" "
         "connectionString=\"Data Source=.;Initial Catalog=d;User ID=u;Password=p\"/></connectionStrings>"
         "<appSettings><add value=\"server=later;database=x;uid=x;pwd=x\"/></appSettings></configuration>",
         {"u", "p", ".", "d"}},
        {"element text",
         "<configuration><db>\r\n  server=s;database=d;<![CDATA[uid=u;pwd=a<b]]>\r\n</db></configuration>",
         {"u", "a<b", "s", "d"}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ReadConnectionSettings(row.xml), row.expected) << row.name;
}

TEST(ReadConnectionSettings, FollowsTheFilesEncoding)
{
    const QByteArray text = InAppSettings("server=db1;database=学校;uid=sa;password=a&amp;b;");
    QByteArray utf16Text = text;
    utf16Text.replace("utf-8", "utf-16");
    // 学校 in GB2312, GBK and GB18030 alike, under each name a site declares.
    QByteArray gbText = text;
    gbText.replace("学校", "\xD1\xA7\xD0\xA3");
    const QByteArray encodings[] = {
        text,
        "\xEF\xBB\xBF" + text,
        QStringEncoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom)(QString::fromUtf8(utf16Text)),
        QStringEncoder(QStringEncoder::Utf16BE, QStringEncoder::Flag::WriteBom)(QString::fromUtf8(utf16Text)),
        QByteArray(gbText).replace("utf-8", "gb2312"),
        QByteArray(gbText).replace("utf-8", "GBK"),
        QByteArray(gbText).replace("\"utf-8\"", "'gb18030'"),
    };
    for (const QByteArray& bytes : encodings) {
        EXPECT_EQ(ReadConnectionSettings(bytes), (ConnectionSettings{"sa", "a&b", "db1", "学校"}))
            << bytes.left(8).toHex().toStdString();
    }
}

TEST(ReadConnectionSettings, RefusesWhatGivesNoCompleteSettings)
{
    const struct {
        QByteArray xml;
        const char* reason;
    } rows[] = {
        {"", "不是格式正确的 XML"},
        {"server=s;database=d;uid=u;password=p;", "不是格式正确的 XML"},
        {"<configuration><add value=\"server=s;\">", "不是格式正确的 XML"},
        {"<a value=\"server=s;database=d;uid=u;pwd=p\"/><second/>", "不是格式正确的 XML"},
        {"<a value=\"a < b\"/>", "不是格式正确的 XML"},
        {"<a value=\"&nbsp;\"/>", "不是格式正确的 XML"},
        {"<!DOCTYPE a [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><a value=\"server=&x;\"/>", "不是格式正确的 XML"},
        {"<!DOCTYPE a [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
         "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>"
         "<a value=\"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"/>",
         "不是格式正确的 XML"},
        {InAppSettings("uid=u;password=p;"), "找不到含有服务器设置"},
        {"<a><!-- server=s;database=d;uid=u;pwd=p --></a>", "找不到含有服务器设置"},
        {InAppSettings("server=s;uid=u;password=p"), "缺少“Initial Catalog”（或“Database”）"},
        {InAppSettings("server=s;database=d;password=p"), "缺少“User ID”（或“UID”）"},
        {InAppSettings("server=s;database=d;uid=u"), "缺少“Password”（或“PWD”）"},
        {InAppSettings("server=s;database=;uid=u;password=p;"), "“Initial Catalog”（或“Database”）设置是空的"},
        {InAppSettings("server= ;database=d;uid=u;password=p;"), "“Data Source”（或“Server”）设置是空的"},
        {InAppSettings("server=s;database=d;uid=;password=p;"), "“User ID”（或“UID”）设置是空的"},
        {InAppSettings("server=s;database=d;uid=u;password=''"), "“Password”（或“PWD”）设置是空的"},
        {InAppSettings("server=s;database=d;uid=u;pwd='p"), "引号没有正确结束"},
        {InAppSettings("server=s;database=d;uid=u;pwd='p'x"), "引号没有正确结束"},
        {InAppSettings("server=s;database d;uid=u;pwd=p"), "不是“键=值”的形式"},
    };
    for (const auto& row : rows) {
        const std::string error = ErrorOf<EWebConfigError>([&] { ReadConnectionSettings(row.xml); });
        EXPECT_NE(error.find(row.reason), std::string::npos) << error;
    }
}

TEST(ConnectionStringSyntax, QuotedValuesComeBackAsTheyWere)
{
    for (const QString value : {"", "plain", "a=b", "a;b", " lead", "trail ", "'q", "\"q", "a\"b'c;", "it's"}) {
        const ParsedConnectionString parsed = ParseConnectionString("k=" + QuoteConnectionValue(value) + ";next=1");
        ASSERT_EQ(parsed.pairs.size(), 2) << value.toStdString();
        EXPECT_EQ(parsed.pairs[0].value, value);
        EXPECT_TRUE(parsed.problem.isEmpty());
    }
    EXPECT_EQ(ParseConnectionString("a==b=c").pairs.value(0).key, "a=b");
}

TEST(SiteConnectionString, JoinsFolderAndFileNameAndNamesTheFileInErrors)
{
    QTemporaryDir temp;
    WriteFile(temp.filePath("Web.config"), InAppSettings("server=db1,1433;database=school;uid=sa;password=a;"));
    const QString connectionString = SiteConnectionString(temp.path() + "/");
    EXPECT_EQ(connectionString, QStringLiteral("Provider=SQLOLEDB.1;Password=a;Persist Security Info=True;User ID=sa;"
                                               "Initial Catalog=school;Data Source=db1,1433"));
    // A value holding ";" is quoted, and reaches the driver whole.
    WriteFile(temp.filePath("Web.config"), InAppSettings("server=s;database=d;uid=u;password='a;b&quot;'"));
    EXPECT_EQ(OdbcConnectionString(SiteConnectionString(temp.path() + "/"), "PostgreSQL Unicode"),
              "DRIVER={PostgreSQL Unicode};SERVER=s;DATABASE=d;UID=u;PWD={a;b\"}");

    // Nothing is put between the folder text and the file name.
    for (const QString& folder : {temp.path(), temp.filePath("absent/")}) {
        const std::string error = ErrorOf<EWebConfigError>([&] { SiteConnectionString(folder); });
        EXPECT_NE(error.find((folder + "Web.config").toStdString()), std::string::npos) << error;
    }
    WriteFile(temp.filePath("Web.config"), "<configuration>\n<add>\n</configuration>");
    const QString message =
        QString::fromStdString(ErrorOf<EWebConfigError>([&] { SiteConnectionString(temp.path() + "/"); }));
    EXPECT_TRUE(message.contains(temp.filePath("Web.config")) && message.contains("第 3 行")) << message.toStdString();
}

} // namespace

#include "platform/OdbcConnectionString.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

QString OleDb(const QString& password, const QString& userId, const QString& database, const QString& server)
{
    return QStringLiteral("Provider=SQLOLEDB.1;Password=%1;Persist Security Info=True;User ID=%2;"
                          "Initial Catalog=%3;Data Source=%4")
        .arg(password, userId, database, server);
}

TEST(OdbcConnectionString, CarriesTheFourSettings)
{
    EXPECT_EQ(OdbcConnectionString(OleDb("Pa55", "sa", "school", "db.example"), "FreeTDS"),
              QStringLiteral("DRIVER={FreeTDS};SERVER=db.example;DATABASE=school;UID=sa;PWD=Pa55;TDS_Version=7.4"));
    // The key names are not case-sensitive; values are trimmed as OLE DB trims them.
    EXPECT_EQ(OdbcConnectionString("data source= h ;USER ID=u;initial catalog=d;password= p ", "FreeTDS"),
              QStringLiteral("DRIVER={FreeTDS};SERVER=h;DATABASE=d;UID=u;PWD=p;TDS_Version=7.4"));
}

TEST(OdbcConnectionString, PortAndLocalServerForDriversOtherThanWindowsOwn)
{
    EXPECT_EQ(OdbcConnectionString(OleDb("p", "u", "d", "10.0.0.5,1433"), "FreeTDS"),
              QStringLiteral("DRIVER={FreeTDS};SERVER=10.0.0.5;PORT=1433;DATABASE=d;UID=u;PWD=p;TDS_Version=7.4"));
    EXPECT_EQ(OdbcConnectionString(OleDb("p", "u", "d", "(local)"), "PostgreSQL Unicode"),
              QStringLiteral("DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;DATABASE=d;UID=u;PWD=p"));
    EXPECT_EQ(OdbcConnectionString(OleDb("p", "u", "d", "10.0.0.5,1433"), "SQL Server"),
              QStringLiteral("DRIVER={SQL Server};SERVER=10.0.0.5,1433;DATABASE=d;UID=u;PWD=p"));
    EXPECT_EQ(OdbcConnectionString(OleDb("p", "u", "d", "(local)"), "SQL Server"),
              QStringLiteral("DRIVER={SQL Server};SERVER=(local);DATABASE=d;UID=u;PWD=p"));
}

TEST(OdbcConnectionString, BracesWhereOdbcWouldMisreadAValue)
{
    EXPECT_EQ(OdbcConnectionString(OleDb("p{r}o=be", "u", "d", "s"), "FreeTDS"),
              QStringLiteral("DRIVER={FreeTDS};SERVER=s;DATABASE=d;UID=u;PWD={p{r}}o=be};TDS_Version=7.4"));
    EXPECT_EQ(OdbcValue("plain=value"), QStringLiteral("plain=value"));
    EXPECT_EQ(OdbcValue("a;b"), QStringLiteral("{a;b}"));
    EXPECT_EQ(OdbcValue("}"), QStringLiteral("{}}}"));
    EXPECT_EQ(OdbcValue(" lead"), QStringLiteral("{ lead}"));
    EXPECT_EQ(OdbcValue("trail "), QStringLiteral("{trail }"));
    EXPECT_EQ(OdbcValue(""), QString());
}

TEST(DefaultOdbcDriver, EnvironmentOverridesThePlatformsDriver)
{
    const QByteArray saved = qgetenv("STUDENT_PHOTO_ODBC_DRIVER");
    qunsetenv("STUDENT_PHOTO_ODBC_DRIVER");
#ifdef Q_OS_WIN
    EXPECT_EQ(DefaultOdbcDriver(), QStringLiteral("SQL Server"));
#else
    EXPECT_EQ(DefaultOdbcDriver(), QStringLiteral("FreeTDS"));
#endif
    qputenv("STUDENT_PHOTO_ODBC_DRIVER", "SQLite3");
    EXPECT_EQ(DefaultOdbcDriver(), QStringLiteral("SQLite3"));
    if (saved.isNull())
        qunsetenv("STUDENT_PHOTO_ODBC_DRIVER");
    else
        qputenv("STUDENT_PHOTO_ODBC_DRIVER", saved);
}

} // namespace

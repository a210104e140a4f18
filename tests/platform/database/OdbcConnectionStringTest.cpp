#include "platform/database/OdbcConnectionString.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

QString OleDb(const QString& password, const QString& userId, const QString& database, const QString& server)
{
    return QStringLiteral("Provider=SQLOLEDB.1;Password=%1;Persist Security Info=True;User ID=%2;"
                          "Initial Catalog=%3;Data Source=%4")
        .arg(password, userId, database, server);
}

TEST(OdbcConnectionString, CarriesTheFourSettingsInTheDriversForm)
{
    const struct {
        QString oleDb;
        const char* driver;
        QString odbc;
    } rows[] = {
        {OleDb("Pa55", "sa", "school", "db.example"), "FreeTDS",
         "DRIVER={FreeTDS};SERVER=db.example;DATABASE=school;UID=sa;PWD=Pa55;TDS_Version=7.4"},
        // Key names are not case-sensitive; values are trimmed as OLE DB trims them.
        {"data source= h ;USER ID=u;initial catalog=d;password= p ", "FreeTDS",
         "DRIVER={FreeTDS};SERVER=h;DATABASE=d;UID=u;PWD=p;TDS_Version=7.4"},
        // A port and "(local)" in the forms drivers other than Windows' own understand.
        {OleDb("p", "u", "d", "10.0.0.5,1433"), "FreeTDS",
         "DRIVER={FreeTDS};SERVER=10.0.0.5;PORT=1433;DATABASE=d;UID=u;PWD=p;TDS_Version=7.4"},
        {OleDb("p", "u", "d", "(local)"), "PostgreSQL Unicode",
         "DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;DATABASE=d;UID=u;PWD=p"},
        {OleDb("p", "u", "d", "10.0.0.5,1433"), "SQL Server",
         "DRIVER={SQL Server};SERVER=10.0.0.5,1433;DATABASE=d;UID=u;PWD=p"},
        {OleDb("p", "u", "d", "(local)"), "SQL Server", "DRIVER={SQL Server};SERVER=(local);DATABASE=d;UID=u;PWD=p"},
        // SQLite would make a new database file for a name that does not exist.
        {OleDb("", "", "/site/school.db", "(local)"), "SQLite3",
         "DRIVER={SQLite3};SERVER=127.0.0.1;DATABASE=/site/school.db;UID=;PWD=;NoCreat=1;Timeout=30000"},
        // Braces where ODBC would misread a value.
        {OleDb("p{r}o=be", "u", "d", "s"), "FreeTDS",
         "DRIVER={FreeTDS};SERVER=s;DATABASE=d;UID=u;PWD={p{r}}o=be};TDS_Version=7.4"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(OdbcConnectionString(row.oleDb, row.driver), row.odbc);

    const std::pair<const char*, const char*> values[] = {
        {"plain=value", "plain=value"}, {"a;b", "{a;b}"},       {"}", "{}}}"},
        {" lead", "{ lead}"},           {"trail ", "{trail }"}, {"", ""}};
    for (const auto& [value, quoted] : values)
        EXPECT_EQ(OdbcValue(value), QString::fromLatin1(quoted));
}

} // namespace

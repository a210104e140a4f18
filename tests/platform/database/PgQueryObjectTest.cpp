// The query object against the PostgreSQL test server: logins, values that
// need quoting in an ODBC connection string, the statement time limit.
#include "platform/database/ConnectionStringSyntax.h"
#include "platform/database/TADOQuery.h"
#include "support/ErrorOf.h"
#include "support/QtPrinters.h"
#include "support/TestSite.h"

#include <QUuid>

#include <gtest/gtest.h>

namespace {

QString OleDb(const PgServer& server, const QString& user, const QString& password)
{
    return QStringLiteral("Provider=SQLOLEDB.1;Password=%1;Persist Security Info=True;User ID=%2;"
                          "Initial Catalog=postgres;Data Source=127.0.0.1,%3")
        .arg(QuoteConnectionValue(password), user)
        .arg(server.port);
}

TEST(PgQueryObject, PasswordsThatNeedBracesLogInAndAWrongOneCarriesTheServersMessage)
{
    const PgServer server = PgServer::FromState();
    const struct {
        QString password, given;
    } rows[] = {
        {"p{r}o=be", "p{r}o=be"}, {"}{", "}{"}, {"密码 1", "密码 1"}, {"a;b\"c d ", "a;b\"c d "}, {"right", "wrong"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.password.toStdString());
        const QString role = QStringLiteral("r") + QUuid::createUuid().toString(QUuid::Id128);
        server.AdminExecute(QStringLiteral("create role %1 login password '%2'").arg(role, row.password));
        TADOQuery query(QStringLiteral("PostgreSQL Unicode"));
        query.SetConnectionString(OleDb(server, role, row.given));
        query.AddSQL("select 1");
        const std::string error = ErrorOf<EConnectionError>([&] { query.Open(); });
        if (row.given == row.password) {
            EXPECT_EQ(error, "no error");
        } else {
            EXPECT_EQ(error.rfind("数据库服务器拒绝登录（用户名或密码不对）：", 0), 0u) << error;
            EXPECT_NE(error.find("password authentication failed"), std::string::npos) << error;
        }
        query.Close();
        server.AdminExecute(QStringLiteral("drop role %1").arg(role));
    }
}

TEST(PgQueryObject, AMissingDatabaseIsNamedAsSuch)
{
    const PgServer server = PgServer::FromState();
    TADOQuery query(QStringLiteral("PostgreSQL Unicode"));
    query.SetConnectionString(OleDb(server, QStringLiteral("postgres"), server.adminPassword)
                                  .replace("Initial Catalog=postgres", "Initial Catalog=no_such_school"));
    query.AddSQL("select 1");
    const std::string error = ErrorOf<EConnectionError>([&] { query.Open(); });
    EXPECT_EQ(error.rfind("找不到数据库：", 0), 0u) << error;
    EXPECT_NE(error.find("no_such_school"), std::string::npos) << error;
}

TEST(PgQueryObject, StatementsEndAtTheirTimeLimit)
{
    const PgServer server = PgServer::FromState();
    TADOQuery query(QStringLiteral("PostgreSQL Unicode"));
    query.SetTimeouts({.loginSeconds = 15, .statementSeconds = 1});
    query.SetConnectionString(OleDb(server, QStringLiteral("postgres"), server.adminPassword));
    query.AddSQL("select pg_sleep(0.1)");
    EXPECT_NO_THROW(query.Open());
    query.ClearSQL();
    query.AddSQL("select pg_sleep(4)");
    EXPECT_THROW(query.Open(), EStatementError);
}

} // namespace

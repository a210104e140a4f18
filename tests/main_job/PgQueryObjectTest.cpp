// The query object against the PostgreSQL test server: logins, values that
// need quoting in an ODBC connection string, the statement time limit.
#include "TestSite.h"

#include "platform/TADOQuery.h"
#include "support/QtPrinters.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <gtest/gtest.h>

namespace {

QString OleDb(const PgServer& server, const QString& user, const QString& password)
{
    return QStringLiteral("Provider=SQLOLEDB.1;Password=%1;Persist Security Info=True;User ID=%2;"
                          "Initial Catalog=postgres;Data Source=127.0.0.1,%3")
        .arg(password, user)
        .arg(server.port);
}

// A login role of the test's own, dropped at the end.
class PgRole {
public:
    PgRole(const PgServer& server, const QString& password)
        : server_(server)
        , name_(QStringLiteral("r") + QUuid::createUuid().toString(QUuid::Id128))
    {
        QString quoted = password;
        quoted.replace(u'\'', QStringLiteral("''"));
        Admin(QStringLiteral("create role %1 login password '%2'").arg(name_, quoted));
    }
    ~PgRole() { Admin(QStringLiteral("drop role if exists %1").arg(name_)); }
    QString Name() const { return name_; }

private:
    void Admin(const QString& statement) const
    {
        const QString connection = QUuid::createUuid().toString();
        {
            QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connection);
            database.setDatabaseName(
                QStringLiteral("DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;PORT=%1;DATABASE=postgres;UID=postgres;PWD=%2")
                    .arg(server_.port)
                    .arg(server_.adminPassword));
            EXPECT_TRUE(database.open()) << database.lastError().text().toStdString();
            QSqlQuery query(database);
            EXPECT_TRUE(query.exec(statement)) << query.lastError().text().toStdString();
        }
        QSqlDatabase::removeDatabase(connection);
    }

    PgServer server_;
    QString name_;
};

TEST(PgQueryObject, PasswordsWithBracesAndEqualsSignsLogIn)
{
    const PgServer server = PgServer::FromState();
    for (const QString& password : {QStringLiteral("p{r}o=be"), QStringLiteral("}{"), QStringLiteral("密码 1")}) {
        SCOPED_TRACE(password.toStdString());
        PgRole role(server, password);
        TADOQuery query(QStringLiteral("PostgreSQL Unicode"));
        query.SetConnectionString(OleDb(server, role.Name(), password));
        query.AddSQL("select 1");
        EXPECT_NO_THROW(query.Open());
        query.Close();
    }
}

TEST(PgQueryObject, WrongPasswordCarriesTheServersMessage)
{
    const PgServer server = PgServer::FromState();
    PgRole role(server, QStringLiteral("right"));
    TADOQuery query(QStringLiteral("PostgreSQL Unicode"));
    query.SetConnectionString(OleDb(server, role.Name(), QStringLiteral("wrong")));
    query.AddSQL("select 1");
    try {
        query.Open();
        FAIL() << "logged in with a wrong password";
    } catch (const EConnectionError& error) {
        EXPECT_NE(std::string(error.what()).find("password authentication failed"), std::string::npos)
            << error.what();
    }
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

// The query object on real ODBC drivers: SQLite3, and FreeTDS against local
// ports where no SQL Server answers.
#include "platform/database/TADOQuery.h"
#include "support/ErrorOf.h"
#include "support/QtPrinters.h"
#include "support/SqliteFile.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool AnyQueryConnectionLeft()
{
    for (const QString& name : QSqlDatabase::connectionNames()) {
        if (name.startsWith(QStringLiteral("TADOQuery-")))
            return true;
    }
    return false;
}

class SqliteQueryObject : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        // The query object never makes a database file; an empty file is an empty database.
        QFile file(temp.filePath("q.db"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        query.SetConnectionString(QStringLiteral("Provider=SQLOLEDB.1;Password=;Persist Security Info=True;"
                                                 "User ID=;Initial Catalog=%1;Data Source=(local)")
                                      .arg(DriverPath(temp.filePath("q.db"))));
        Exec("create table t (code varchar(10), photo varchar(50))");
        Exec("insert into t values ('a', ''), ('b', ''), ('b', ''), ('c', '')");
    }

    qsizetype Exec(const QString& statement, const QVariantList& parameters = {})
    {
        query.ClearSQL();
        query.AddSQL(statement);
        for (const QVariant& value : parameters)
            query.AddParameter(value);
        return query.ExecSQL();
    }

    QTemporaryDir temp;
    TADOQuery query{QStringLiteral("SQLite3")};
};

TEST_F(SqliteQueryObject, ExecuteReportsRowsAffectedWithBoundValues)
{
    EXPECT_EQ(Exec("update t set photo=? where code=?", {"/a.jpg", "a"}), 1);
    EXPECT_EQ(Exec("update t set photo=? where code=?", {"/b.jpg", "b"}), 2);
    EXPECT_EQ(Exec("update t set photo=? where code=?", {"/z.jpg", "z"}), 0);
    EXPECT_EQ(Exec("update t set photo=? where code=?", {"/q.jpg", "a' or '1'='1"}), 0);
}

TEST_F(SqliteQueryObject, OpenWantsRowsBack)
{
    query.ClearSQL();
    query.AddSQL(QString());
    query.AddSQL("select * from t");
    EXPECT_EQ(query.SQL(), (QStringList{"", "select * from t"}));
    query.Open();
    EXPECT_TRUE(query.Active());
    // Changing the statement closes the result but keeps the connection.
    query.ClearSQL();
    EXPECT_FALSE(query.Active());
    EXPECT_TRUE(query.Connected());

    query.AddSQL("update t set photo='x'");
    EXPECT_EQ(ErrorOf<EStatementError>([&] { query.Open(); }), "CommandText does not return a result set");
    EXPECT_FALSE(query.Active());
}

TEST_F(SqliteQueryObject, CloseAndDestructionReleaseTheConnection)
{
    Exec("update t set photo=''");
    EXPECT_TRUE(AnyQueryConnectionLeft());
    query.Close();
    EXPECT_FALSE(query.Connected());
    EXPECT_FALSE(AnyQueryConnectionLeft());

    {
        TADOQuery other(QStringLiteral("SQLite3"));
        other.SetConnectionString(query.ConnectionString());
        other.AddSQL("select * from t");
        other.Open();
        EXPECT_TRUE(AnyQueryConnectionLeft());
    }
    EXPECT_FALSE(AnyQueryConnectionLeft());
}

TEST_F(SqliteQueryObject, AMissingDatabaseOrTableIsNamedAndNoDatabaseFileIsMade)
{
    TADOQuery other(QStringLiteral("SQLite3"));
    other.SetConnectionString(query.ConnectionString().replace("q.db", "absent.db"));
    other.AddSQL("select * from organization");
    const std::string missingDatabase = ErrorOf<EConnectionError>([&] { other.Open(); });
    EXPECT_EQ(missingDatabase.rfind("找不到数据库：", 0), 0u) << missingDatabase;
    EXPECT_FALSE(QFile::exists(temp.filePath("absent.db")));

    query.ClearSQL();
    query.AddSQL("select * from organization");
    const std::string missingTable = ErrorOf<EStatementError>([&] { query.Open(); });
    EXPECT_EQ(missingTable.rfind("数据库中缺少数据表：", 0), 0u) << missingTable;
    EXPECT_NE(missingTable.find("no such table: organization"), std::string::npos) << missingTable;
}

TEST_F(SqliteQueryObject, ALockedDatabaseFailsWithinTheStatementLimitInTheDriversWords)
{
    // Another program holds the database locked.
    {
        QSqlDatabase holder = AddSqliteConnection(QStringLiteral("holder"), temp.filePath("q.db"));
        ASSERT_TRUE(holder.open());
        ASSERT_TRUE(holder.exec(QStringLiteral("begin exclusive")).lastError().type() == QSqlError::NoError);
        query.Close();
        // The watchdog far behind: the driver's own wait has to end the statement.
        query.SetTimeouts({.loginSeconds = 15, .statementSeconds = 1, .stallGraceSeconds = 60});

        const std::string error = ErrorOf<EDatabaseError>([&] { Exec("update t set photo='x'"); });

        EXPECT_NE(error.find("locked"), std::string::npos) << error;
        holder.exec(QStringLiteral("rollback"));
        holder.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("holder"));
}

TEST(QueryObject, UnknownDriverFailsToConnectAndLeavesNoConnection)
{
    TADOQuery query(QStringLiteral("No Such ODBC Driver"));
    query.SetConnectionString("Provider=SQLOLEDB.1;Password=p;User ID=u;Initial Catalog=d;Data Source=s");
    query.AddSQL("select 1");
    EXPECT_THROW(query.Open(), EConnectionError);
    EXPECT_FALSE(query.Connected());
    EXPECT_FALSE(AnyQueryConnectionLeft());
}

TEST(QueryObject, FreeTdsWithoutAServerFailsWithinTheLoginTimeout)
{
    // A closed port fails at once. A port that listens but never answers (no
    // event loop takes its connections: they wait in the backlog, as with a
    // server that hangs or a firewall that swallows them) would wait for ever
    // without the login timeout (ctest's time limit catches a hang).
    QTcpServer silent, closed;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost) && closed.listen(QHostAddress::LocalHost));
    const int closedPort = closed.serverPort();
    closed.close();
    for (const int port : {closedPort, int(silent.serverPort())}) {
        TADOQuery query(QStringLiteral("FreeTDS"));
        query.SetTimeouts({.loginSeconds = 2, .statementSeconds = 30});
        query.SetConnectionString(QStringLiteral("Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;"
                                                 "User ID=sa;Initial Catalog=school;Data Source=127.0.0.1,%1")
                                      .arg(port));
        query.AddSQL("select * from organization");
        const std::string error = ErrorOf<EConnectionError>([&] { query.Open(); });
        EXPECT_EQ(error.rfind("无法连接数据库服务器：", 0), 0u) << port << ": " << error;
        EXPECT_FALSE(AnyQueryConnectionLeft());
    }
}

} // namespace

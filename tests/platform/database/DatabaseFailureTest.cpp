// Which step failed, from what real drivers said (captured from SQLite3,
// PostgreSQL and FreeTDS on this machine; SQL Server's own texts from its
// documented messages).
#include "platform/database/DatabaseFailure.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

using enum DatabaseFailure;

TEST(DatabaseFailure, ConnectionFailuresAreToldApartByDriverNumberOrText)
{
    const struct {
        const char* native;
        const char* message;
        DatabaseFailure failure;
    } rows[] = {
        {"20009",
         "[FreeTDS][SQL Server]Unable to connect to data source [FreeTDS][SQL Server]Unable to connect: Adaptive "
         "Server is unavailable or does not exist",
         ServerUnreachable},
        {"17", "[Microsoft][ODBC SQL Server Driver][DBNETLIB]SQL Server does not exist or access denied.",
         ServerUnreachable},
        {"101",
         "connection to server at \"127.0.0.1\", port 1 failed: Connection refused\n\tIs the server running on that "
         "host and accepting TCP/IP connections?\n",
         ServerUnreachable},
        {"18456", "[FreeTDS][SQL Server]Login failed for user 'sa'.", LoginRefused},
        {"101",
         "connection to server at \"127.0.0.1\", port 24340 failed: FATAL:  password authentication failed for user "
         "\"postgres\"\n",
         LoginRefused},
        {"4060", "[FreeTDS][SQL Server]Cannot open database \"school\" requested by the login. The login failed.",
         DatabaseNotFound},
        {"101",
         "connection to server at \"127.0.0.1\", port 24340 failed: FATAL:  database \"nosuchdb\" does not exist\n",
         DatabaseNotFound},
        {"14", "[SQLite]connect failed", DatabaseNotFound},
        {"", "[unixODBC][Driver Manager]Data source name not found and no default driver specified", Other},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        EXPECT_EQ(ConnectionFailureOf(row.native, QString::fromUtf8(row.message)), row.failure);
    }
}

TEST(DatabaseFailure, AMissingTableIsToldInEveryDriversWords)
{
    const std::pair<const char*, const char*> missing[] = {
        {"1", "[SQLite]no such table: organization (1)"},
        {"1", "ERROR: relation \"organization\" does not exist;\nError while executing the query "},
        {"208", "[FreeTDS][SQL Server]Invalid object name 'organization'."},
    };
    for (const auto& [native, message] : missing)
        EXPECT_EQ(StatementFailureOf(native, QString::fromUtf8(message)), TableMissing) << message;
    EXPECT_EQ(StatementFailureOf("19", "[SQLite]UNIQUE constraint failed: t.code (19)"), Other);
}

TEST(DatabaseFailure, TheStepComesFirstThenTheDriversText)
{
    EXPECT_EQ(DatabaseFailureText(DatabaseNotFound, "FATAL:  database \"x\" does not exist\n"),
              QStringLiteral("找不到数据库：FATAL:  database \"x\" does not exist"));
    EXPECT_EQ(DatabaseFailureText(Other, "driver text\n", QStringLiteral("无法连接数据库")),
              QStringLiteral("无法连接数据库：driver text"));
    // An unknown statement failure keeps the driver's text exactly.
    EXPECT_EQ(DatabaseFailureText(Other, "driver text\n"), QStringLiteral("driver text\n"));
}

} // namespace

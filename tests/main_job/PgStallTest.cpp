// Database calls against a PostgreSQL server that stops answering (SIGSTOP):
// each ends on its own after its time limit and the grace, and the run that
// made it fails. A server of its own, so that no other test meets it stopped.
#include "TestSite.h"

#include "main_window/AssignmentRun.h"
#include "platform/TADOQuery.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

const QString kNoAnswer = QStringLiteral("没有响应");
// Short enough for a test, long enough for a loaded machine's answers.
constexpr DatabaseTimeouts kShortStatements{.loginSeconds = 15, .statementSeconds = 2, .stallGraceSeconds = 1};

QString OleDb(const PgServer& server)
{
    return QStringLiteral("Provider=SQLOLEDB.1;Password=%1;Persist Security Info=True;User ID=postgres;"
                          "Initial Catalog=postgres;Data Source=127.0.0.1,%2")
        .arg(server.adminPassword)
        .arg(server.port);
}

TEST(PgStall, ConnectingToASilentServerEnds)
{
    const struct {
        const char* name;
        int loginSeconds;
        int graceSeconds;
        QString expected;
    } rows[] = {
        // libpq waits at least 2 s, counted in whole seconds.
        {"the driver's login timeout", 2, 3, QStringLiteral("timeout expired")},
        // No login timeout at all: the watchdog ends the attempt.
        {"no login timeout", 0, 1, kNoAnswer},
    };
    const PgServer server = PgServer::FromState();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TADOQuery query(QStringLiteral("PostgreSQL Unicode"));
        query.SetTimeouts({.loginSeconds = row.loginSeconds, .statementSeconds = 1, .stallGraceSeconds = row.graceSeconds});
        query.SetConnectionString(OleDb(server));
        query.AddSQL("select 1");
        {
            const FrozenPgServer frozen;
            try {
                query.Open();
                ADD_FAILURE() << "connected to a stopped server";
            } catch (const EConnectionError& error) {
                EXPECT_TRUE(QString::fromUtf8(error.what()).contains(row.expected)) << error.what();
            }
        }
        EXPECT_FALSE(query.Connected());
        // The server answers again: so does the query object.
        query.SetTimeouts({});
        EXPECT_NO_THROW(query.Open());
    }
}

TEST(PgStall, AStatementOnAServerThatStopsAnsweringEndsAndDropsTheConnection)
{
    const struct {
        const char* name;
        bool resultOpen; // freeing it waits for the server too
    } rows[] = {{"a statement", false}, {"freeing the last result", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TADOQuery query(QStringLiteral("PostgreSQL Unicode"));
        query.SetTimeouts(kShortStatements);
        query.SetConnectionString(OleDb(PgServer::FromState()));
        query.AddSQL("select 1");
        query.Open();
        if (!row.resultOpen) {
            query.ClearSQL();
            query.AddSQL("select 2");
        }
        {
            const FrozenPgServer frozen;
            try {
                query.Open();
                ADD_FAILURE() << "a stopped server answered";
            } catch (const EDatabaseError& error) {
                EXPECT_TRUE(QString::fromUtf8(error.what()).contains(kNoAnswer)) << error.what();
            }
            EXPECT_FALSE(query.Connected());
        }
        query.SetTimeouts({});
        EXPECT_NO_THROW(query.Open());
    }
}

TEST(PgStall, ARunWhoseServerStopsMidwayFails)
{
    TestSite site(Backend::PostgreSQL);
    const QStringList codes{"s1", "s2", "s3"};
    site.AddStudents(codes);
    const QString photo = site.ScratchPhoto(QStringLiteral("a.jpg"));
    TADOQuery query(site.OdbcDriver());
    query.SetTimeouts(kShortStatements);

    std::optional<FrozenPgServer> frozen;
    const AssignmentInput input{site.Folder(), site.Scratch(QStringLiteral("photos/")), codes,
                                {"a.jpg", "a.jpg", "a.jpg"}};
    const AssignmentOutcome outcome = RunAssignment(input, query, [&frozen](qsizetype done) {
        if (done == 1)
            frozen.emplace();
    });
    frozen.reset();

    EXPECT_EQ(outcome.result, AssignmentOutcome::Result::Failed);
    EXPECT_EQ(outcome.studentsDone, 1);
    EXPECT_TRUE(outcome.failureReason.contains(kNoAnswer)) << outcome.failureReason.toStdString();
    const QMap<QString, QString> rows = site.Photos();
    EXPECT_EQ(rows.value("s1"), "/upload/StudentPhoto/s1.jpg");
    EXPECT_EQ(rows.value("s3"), QString());
}

} // namespace

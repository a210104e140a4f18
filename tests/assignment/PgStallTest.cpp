// Database calls against a PostgreSQL server that stops answering (SIGSTOP):
// each ends on its own after its time limit and the grace, and the run that
// made it fails. A server of its own, so that no other test meets it stopped.
#include "assignment/journal/JournalStore.h"
#include "assignment/plan/AssignmentPlan.h"
#include "assignment/run/AssignmentRun.h"
#include "assignment/run/PlanMaking.h"
#include "platform/database/TADOQuery.h"
#include "support/QtPrinters.h"
#include "support/TestSite.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

const QString kNoAnswer = QStringLiteral("没有响应");
// The server of these tests alone.
const QString kStallServer = QStringLiteral(SP_PG_STALL_STATE_DIR);
// Short enough for a test, long enough for a loaded machine's answers.
constexpr DatabaseTimeouts kShortStatements{.loginSeconds = 15, .statementSeconds = 2, .stallGraceSeconds = 1};

// Opens `query` with the server stopped; the error it ends with.
QString OpenOnAStoppedServer(TADOQuery& query)
{
    const FrozenPgServer frozen(kStallServer);
    try {
        query.Open();
    } catch (const EDatabaseError& error) {
        EXPECT_FALSE(query.Connected());
        return QString::fromUtf8(error.what());
    }
    return QStringLiteral("a stopped server answered");
}

TEST(PgStall, CallsToAServerThatStopsAnsweringEnd)
{
    const PgServer server = PgServer::FromState(kStallServer);
    const struct {
        const char* name;
        DatabaseTimeouts timeouts;
        std::function<void(TADOQuery&)> before; // with the server answering
        QString expected;
    } rows[] = {
        // libpq waits at least 2 s, counted in whole seconds.
        {"connecting: the driver's login timeout", {.loginSeconds = 2, .stallGraceSeconds = 3}, {}, "timeout expired"},
        {"connecting without a login timeout", {.loginSeconds = 0, .stallGraceSeconds = 1}, {}, kNoAnswer},
        {"a statement", kShortStatements,
         [](TADOQuery& q) {
             q.Open();
             q.ClearSQL();
             q.AddSQL("select 2");
         },
         kNoAnswer},
        {"freeing the last result", kShortStatements, [](TADOQuery& q) { q.Open(); }, kNoAnswer},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TADOQuery query(QStringLiteral("PostgreSQL Unicode"));
        query.SetTimeouts(row.timeouts);
        query.SetConnectionString(QStringLiteral("Provider=SQLOLEDB.1;Password=%1;User ID=postgres;"
                                                 "Initial Catalog=postgres;Data Source=127.0.0.1,%2")
                                      .arg(server.adminPassword)
                                      .arg(server.port));
        query.AddSQL("select 1");
        if (row.before)
            row.before(query);
        const QString error = OpenOnAStoppedServer(query);
        EXPECT_TRUE(error.contains(row.expected)) << error.toStdString();
        // The server answers again: so does the query object.
        query.SetTimeouts({});
        EXPECT_NO_THROW(query.Open());
    }
}

TEST(PgStall, ARunWhoseServerStopsMidwayFails)
{
    TestSite site(Backend::PostgreSQL, kStallServer);
    const QStringList codes{"s1", "s2", "s3"};
    site.AddStudents(codes);
    for (const QString name : {"a.jpg", "b.jpg", "c.jpg"})
        site.ScratchPhoto(name);
    TADOQuery query(site.OdbcDriver());
    query.SetTimeouts(kShortStatements);
    const QTemporaryDir dataFolder;
    JournalStore journal(dataFolder.path());

    const PlanOutcome planned = MakeAssignmentPlan(
        {site.Folder(), site.Scratch(QStringLiteral("photos/")), codes, {"a.jpg", "b.jpg", "c.jpg"}}, query);
    ASSERT_TRUE(planned.plan);
    std::optional<FrozenPgServer> frozen;
    const AssignmentOutcome outcome = RunAssignment(*planned.plan, query, {&journal, [&frozen](qsizetype done) {
                                                                               if (done == 1)
                                                                                   frozen.emplace(kStallServer);
                                                                           }});
    frozen.reset();

    EXPECT_EQ(outcome.result, AssignmentOutcome::Result::Failed);
    EXPECT_EQ(outcome.studentsDone, 1);
    EXPECT_TRUE(outcome.failureReason.contains(kNoAnswer)) << outcome.failureReason.toStdString();
    EXPECT_EQ(site.Photos(), (QMap<QString, QString>{{"s1", "/upload/StudentPhoto/s1.jpg"}, {"s2", ""}, {"s3", ""}}));
}

} // namespace

// Times the assignment run over a prepared site: the plan, then every photo
// copied and every row written, one statement per student, with the journal
// (in JOURNAL_DIR) or without it. Run by assign-bench.sh, which makes the
// site and the database and compares with psql.
//
//   assign_bench INSTALL_DIR ROSTER PHOTO_DIR ODBC_DRIVER [JOURNAL_DIR]
#include "assignment/input/PhotoList.h"
#include "assignment/input/Roster.h"
#include "assignment/journal/JournalStore.h"
#include "assignment/plan/AssignmentPlan.h"
#include "assignment/run/AssignmentRun.h"
#include "assignment/run/PlanMaking.h"
#include "platform/database/TADOQuery.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <optional>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 5 && arguments.size() != 6) {
        std::fputs("usage: assign_bench INSTALL_DIR ROSTER PHOTO_DIR ODBC_DRIVER [JOURNAL_DIR]\n", stderr);
        return 2;
    }
    AssignmentInput input;
    input.installationFolder = arguments[1];
    input.codes = ReadRoster(arguments[2]);
    const PhotoList photos = PhotoListOfFolder(arguments[3]);
    input.photoFolder = photos.folder;
    input.photoNames = photos.names;
    std::optional<JournalStore> journal;
    if (arguments.size() == 6)
        journal.emplace(arguments[5]);

    TADOQuery query(arguments[4]);
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const PlanOutcome planned = MakeAssignmentPlan(input, query);
    if (!planned.plan) {
        std::fprintf(stderr, "no plan: %s\n", qPrintable(planned.stopped.message));
        return 1;
    }
    const auto planned_at = Clock::now();
    const AssignmentOutcome outcome =
        RunAssignment(*planned.plan, query, RunSettings{journal ? &*journal : nullptr, {}});
    const std::chrono::duration<double> planSeconds = planned_at - start;
    const std::chrono::duration<double> runSeconds = Clock::now() - planned_at;

    if (!outcome.EverythingSet()) {
        std::fprintf(stderr, "run not complete: %s\n", qPrintable(outcome.message));
        return 1;
    }
    std::printf("%s students %lld  plan seconds %.3f  run seconds %.3f  students/s %.0f\n",
                journal ? "journal   " : "no journal", static_cast<long long>(outcome.studentsDone),
                planSeconds.count(), runSeconds.count(), outcome.studentsDone / runSeconds.count());
    return 0;
}

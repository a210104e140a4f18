// Times the assignment run over a prepared site: every photo copied, every
// row written, one statement per student. Run by assign-bench.sh, which makes
// the site and the database and compares with psql.
//
//   assign_bench INSTALL_DIR ROSTER PHOTO_DIR ODBC_DRIVER
#include "main_window/AssignmentRun.h"
#include "main_window/PhotoList.h"
#include "main_window/Roster.h"
#include "platform/TADOQuery.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 5) {
        std::fputs("usage: assign_bench INSTALL_DIR ROSTER PHOTO_DIR ODBC_DRIVER\n", stderr);
        return 2;
    }
    AssignmentInput input;
    input.installationFolder = arguments[1];
    input.codes = ReadRoster(arguments[2]);
    const PhotoList photos = PhotoListOfFolder(arguments[3]);
    input.photoFolder = photos.folder;
    input.photoNames = photos.names;

    TADOQuery query(arguments[4]);
    const auto start = std::chrono::steady_clock::now();
    const AssignmentOutcome outcome = RunAssignment(input, query);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;

    if (outcome.result != AssignmentOutcome::Result::Completed) {
        std::fprintf(stderr, "run failed: %s\n", qPrintable(outcome.failureReason));
        return 1;
    }
    std::printf("students %lld  seconds %.3f  students/s %.0f  not copied %lld  no row %lld\n",
                static_cast<long long>(outcome.studentsDone), seconds.count(), outcome.studentsDone / seconds.count(),
                static_cast<long long>(outcome.notCopied.size()), static_cast<long long>(outcome.noRowChanged.size()));
    return 0;
}

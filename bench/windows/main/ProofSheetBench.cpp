// Times the proof sheet for a large class: how long the dialog takes to
// appear, how long until the thumbnails of the rows in view are there, and
// how long each repaint takes while scrolling from top to bottom (the window
// thread must never wait for photo files).
//
//   proof_sheet_bench [STUDENTS] [PHOTO]
//
// Each student gets its own path to PHOTO (hard links in a temporary folder,
// so every thumbnail is really made) and every second one a present photo.
// Run it under xvfb-run or with QT_QPA_PLATFORM=offscreen.
#include "assignment/checks/PhotoProbe.h"
#include "assignment/plan/AssignmentPlan.h"
#include "assignment/views/PlanRowView.h"
#include "faces/FaceDetector.h"
#include "windows/main/ProofSheet.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

AssignmentPlan MakePlan(const QString& folder, const QString& photo, int students)
{
    AssignmentPlan plan;
    plan.installationFolder = folder + "/site/";
    plan.sitePhotoFolder = plan.installationFolder + "upload/StudentPhoto/";
    plan.database = "bench / bench";
    const PhotoFacts facts = ProbePhoto(photo);
    for (int i = 0; i < students; ++i) {
        PlanRow row;
        row.line = i + 1;
        row.code = QStringLiteral("2023%1").arg(i, 6, 10, QChar('0'));
        row.photoName = QStringLiteral("%1.jpg").arg(i + 1, 4, 10, QChar('0'));
        row.source = folder + "/photos/" + row.photoName;
        row.photo = facts;
        row.destination = plan.sitePhotoFolder + row.code + ".jpg";
        row.destinationExists = i % 2 == 0;
        row.studentExists = i % 10 != 0;
        if (!row.studentExists)
            row.warnings |= PlanWarning::NoStudent;
        if (row.destinationExists)
            row.warnings |= PlanWarning::HasPhoto;
        if (!QFile::link(photo, row.source) && !QFile(photo).copy(row.source))
            std::fprintf(stderr, "cannot link %s\n", qPrintable(row.source));
        if (row.destinationExists)
            QFile(photo).copy(row.destination) || QFile::link(photo, row.destination);
        plan.rows << row;
    }
    return plan;
}

// Lets queued thumbnails arrive until every visible photo cell shows one.
bool VisibleThumbnailsThere(const TProofSheet& sheet)
{
    const QTableView& grid = *Controls(sheet).planGrid;
    const int first = grid.rowAt(0);
    int last = grid.rowAt(grid.viewport()->height() - 1);
    if (last < 0)
        last = grid.model()->rowCount() - 1;
    for (int row = first; row <= last; ++row) {
        if (grid.model()->index(row, int(PlanColumn::NewPhoto)).data(Qt::DecorationRole).isNull())
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const int students = arguments.value(1, "3000").toInt();
    const QString photo =
        arguments.value(2, QStringLiteral(SP_TESTDATA_DIR "/jpeg/photos/obama_backstage_the_white_house.jpg"));
    QTemporaryDir folder;
    QDir(folder.path()).mkpath("photos");
    QDir(folder.path()).mkpath("site/upload/StudentPhoto");
    const AssignmentPlan plan = MakePlan(folder.path(), QFileInfo(photo).absoluteFilePath(), students);

    QElapsedTimer clock;
    clock.start();
    // The sheet reviews the faces meanwhile, as it does in the program.
    TProofSheet sheet(plan, SurveyAndCheckFaces(FaceDetector::DefaultCascadeFile()));
    sheet.show();
    Controls(sheet).planGrid->viewport()->repaint();
    const double shown = clock.nsecsElapsed() / 1e6;
    while (!VisibleThumbnailsThere(sheet) && clock.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double thumbnails = clock.nsecsElapsed() / 1e6;

    // Scrolls a third of a page at a time, as a mouse wheel does, repainting
    // at once and handling what arrived in between.
    QScrollBar& bar = *Controls(sheet).planGrid->verticalScrollBar();
    QList<double> repaints;
    for (int value = 0; value <= bar.maximum(); value += std::max(1, bar.pageStep() / 3)) {
        QElapsedTimer step;
        step.start();
        bar.setValue(value);
        Controls(sheet).planGrid->viewport()->repaint();
        repaints << step.nsecsElapsed() / 1e6;
        QApplication::processEvents();
    }
    std::sort(repaints.begin(), repaints.end());
    double total = 0;
    for (const double r : repaints)
        total += r;
    std::printf("students %d  photo %s\n", students, qPrintable(QFileInfo(photo).fileName()));
    std::printf("dialog shown and painted: %.1f ms\n", shown);
    std::printf("thumbnails of the first screen: %.1f ms\n", thumbnails);
    std::printf("scrolling: %lld repaints, mean %.2f ms, median %.2f ms, 95th %.2f ms, max %.2f ms\n",
                static_cast<long long>(repaints.size()), total / repaints.size(), repaints[repaints.size() / 2],
                repaints[repaints.size() * 95 / 100], repaints.last());
    return 0;
}

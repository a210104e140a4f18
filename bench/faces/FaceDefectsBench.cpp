// The face checks on a defect set made by make-defects.sh.
//   face_defects_bench FOLDER            share flagged per kind of defect
//   face_defects_bench --time N FILE     seconds per photo for N copies of FILE, on one core
// Files are named KIND__PORTRAIT.jpg; "original" is the untouched portrait,
// whose flags are false ones. The photos form one batch, each portrait's
// spoiled copies after it, so that the checks that compare a photo with the
// batch or with its neighbours see what a real batch would show them.
#include "assignment/checks/FaceChecks.h"
#include "assignment/checks/PhotoProbe.h"
#include "assignment/plan/AssignmentPlan.h"
#include "assignment/views/PlanRowView.h"
#include "faces/FaceDetector.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMap>

#include <cstdio>

namespace {

PlanRow RowFor(const QString& path, qsizetype line)
{
    PlanRow row;
    row.line = line;
    row.photoName = QFileInfo(path).fileName();
    row.source = path;
    row.photo = ProbePhoto(path);
    row.studentExists = true;
    return row;
}

// The warnings a kind of defect is meant to raise (any face warning counts
// as flagged; these count as the right one).
PlanWarnings Expected(const QString& kind)
{
    if (kind == "blank")
        return PlanWarning::NoFace;
    if (kind.startsWith("turn"))
        return PlanWarning::TurnedFace;
    if (kind == "sidebyside")
        return PlanWarning::SeveralFaces;
    if (kind == "blurred")
        return PlanWarning::Blurred;
    if (kind == "dark")
        return PlanWarning::DarkFace | PlanWarning::NoFace;
    if (kind == "bright")
        return PlanWarning::BrightFace | PlanWarning::NoFace;
    if (kind == "tiny")
        return PlanWarning::SmallFace | PlanWarning::NoFace;
    if (kind == "resaved")
        return PlanWarning::LikelyRetake;
    return {};
}

int Defects(const QString& folder)
{
    QStringList files = QDir(folder).entryList({"*__*.jpg"}, QDir::Files);
    // Each portrait's copies together, the untouched one first.
    std::sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        const QString pa = a.section("__", 1), pb = b.section("__", 1);
        if (pa != pb)
            return pa < pb;
        const bool oa = a.startsWith("original"), ob = b.startsWith("original");
        return oa != ob ? oa : a < b;
    });
    AssignmentPlan plan;
    for (const QString& file : files)
        plan.rows << RowFor(QDir(folder).filePath(file), plan.rows.size() + 1);
    QElapsedTimer timer;
    timer.start();
    ApplyFaceChecks(
        plan,
        SurveyFaces(plan, {.cascadeFile = FaceDetector::DefaultCascadeFile(), .descriptorModel = {}, .threads = 1}));
    const double seconds = timer.nsecsElapsed() / 1e9;

    struct Tally {
        int photos = 0, flagged = 0, right = 0;
        QStringList missed;
    };
    QMap<QString, Tally> kinds;
    for (const PlanRow& row : plan.rows) {
        const QString kind = row.photoName.section("__", 0, 0);
        Tally& tally = kinds[kind];
        ++tally.photos;
        const PlanWarnings face = row.warnings & ~PlanWarnings(PlanWarning::HasPhoto | PlanWarning::NoStudent);
        tally.flagged += face != PlanWarnings();
        const bool right = (face & Expected(kind)) != PlanWarnings();
        tally.right += right;
        if (kind == "original" ? face != PlanWarnings() : !right)
            tally.missed << row.photoName + "：" + ViewOfPlanRow(row).warnings.join("；");
    }
    std::printf("%-12s %6s %8s %8s\n", "kind", "photos", "flagged", "by-kind");
    for (auto k = kinds.cbegin(); k != kinds.cend(); ++k) {
        std::printf("%-12s %6d %7.0f%% %7.0f%%\n", qPrintable(k.key()), k->photos, 100.0 * k->flagged / k->photos,
                    100.0 * k->right / k->photos);
    }
    std::printf("\nnot flagged as meant (for original: flagged):\n");
    for (auto k = kinds.cbegin(); k != kinds.cend(); ++k) {
        for (const QString& line : k->missed)
            std::printf("  %s\n", qPrintable(line));
    }
    for (const QString& notice : plan.notices)
        std::printf("notice: %s\n", qPrintable(notice));
    std::printf("\n%lld photos in %.2f s on one core\n", static_cast<long long>(plan.rows.size()), seconds);
    return 0;
}

int Time(int copies, const QString& file)
{
    AssignmentPlan plan;
    for (int i = 0; i < copies; ++i)
        plan.rows << RowFor(file, i + 1);
    QElapsedTimer timer;
    timer.start();
    const FaceSurvey survey =
        SurveyFaces(plan, {.cascadeFile = FaceDetector::DefaultCascadeFile(), .descriptorModel = {}, .threads = 1});
    const double seconds = timer.nsecsElapsed() / 1e9;
    ApplyFaceChecks(plan, survey);
    std::printf("%d photos: %.1f ms per photo on one core; 3,000 photos: %.0f s on one core\n", copies,
                1000 * seconds / copies, 3000 * seconds / copies);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == "--time")
        return Time(args[2].toInt(), args[3]);
    if (args.size() == 2)
        return Defects(args[1]);
    std::fprintf(stderr, "usage: face_defects_bench FOLDER | --time N FILE\n");
    return 2;
}

#include "assignment/checks/NeighbourChecks.h"

#include "assignment/checks/FaceSurvey.h"
#include "assignment/plan/AssignmentPlan.h"
#include "faces/OtherStudentsFaces.h"
#include "faces/RepeatedFaces.h"
#include "faces/ShiftedBlocks.h"

#include <algorithm>

namespace {

// A pause counts as long when it is this many times the batch's median
// pause and half a minute longer; the median needs this many pauses.
constexpr double kLongGapTimes = 3;
constexpr qint64 kLongGapMoreSeconds = 30;
constexpr std::size_t kGapsForMedian = 5;

double Median(std::vector<double> values)
{
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

std::size_t RowCount(const AssignmentPlan& plan, const FaceSurvey& survey)
{
    return std::min({static_cast<std::size_t>(plan.rows.size()), survey.newPhotos.size(), survey.currentPhotos.size()});
}

// The rows' faces: nothing where a photo was not read or shows no face.
std::vector<RowFace> Faces(const std::vector<SurveyedPhoto>& photos, std::size_t rows)
{
    std::vector<RowFace> faces(rows);
    for (std::size_t i = 0; i < rows; ++i) {
        if (photos[i].read)
            faces[i] = photos[i].portrait.descriptor;
    }
    return faces;
}

QString ShiftNotice(qsizetype firstLine, qsizetype lastLine, ShiftDirection direction)
{
    return QStringLiteral("第 %1–%2 行的照片可能整体错位一行（新照片更像%3一行学生现有的照片），请逐一核对")
        .arg(firstLine)
        .arg(lastLine)
        .arg(direction == ShiftDirection::Down ? QStringLiteral("下") : QStringLiteral("上"));
}

} // namespace

void CheckCaptureGaps(AssignmentPlan& plan, const FaceSurvey& survey)
{
    const std::size_t rows = RowCount(plan, survey);
    std::vector<std::pair<std::size_t, qint64>> gaps; // (later row, seconds)
    for (std::size_t i = 1; i < rows; ++i) {
        const QDateTime& before = survey.newPhotos[i - 1].captured;
        const QDateTime& after = survey.newPhotos[i].captured;
        if (before.isValid() && after.isValid() && before <= after)
            gaps.emplace_back(i, before.secsTo(after));
    }
    if (gaps.size() < kGapsForMedian)
        return;
    std::vector<double> seconds;
    for (const auto& gap : gaps)
        seconds.push_back(static_cast<double>(gap.second));
    const double median = Median(seconds);
    for (const auto& [row, gap] : gaps) {
        const auto gapSeconds = static_cast<double>(gap);
        if (gapSeconds > kLongGapTimes * median && gapSeconds > median + kLongGapMoreSeconds) {
            PlanRow& later = plan.rows[static_cast<qsizetype>(row)];
            later.warnings |= PlanWarning::LongCaptureGap;
            later.faces.captureGapSeconds = gap;
        }
    }
}

void CheckRetakes(AssignmentPlan& plan, const FaceSurvey& survey)
{
    const std::size_t rows = RowCount(plan, survey);
    for (const std::size_t i : FindRepeatedNeighbours(Faces(survey.newPhotos, rows))) {
        const PlanRow& row = plan.rows[static_cast<qsizetype>(i) - 1];
        PlanRow& next = plan.rows[static_cast<qsizetype>(i)];
        // The same file twice is refused or warned of by its content already.
        const bool sameFile = !row.photo.contentHash.isEmpty() && row.photo.contentHash == next.photo.contentHash;
        if (!sameFile)
            next.warnings |= PlanWarning::LikelyRetake;
    }
}

QStringList CheckShiftedRows(AssignmentPlan& plan, const FaceSurvey& survey)
{
    const std::size_t rows = RowCount(plan, survey);
    const std::vector<RowFace> newFaces = Faces(survey.newPhotos, rows);
    const std::vector<RowFace> currentFaces = Faces(survey.currentPhotos, rows);
    QStringList notices;
    std::vector<bool> inBlock(rows);
    for (const ShiftedBlock& block : FindShiftedBlocks(newFaces, currentFaces)) {
        for (std::size_t i = block.first; i <= block.last; ++i) {
            PlanRow& row = plan.rows[static_cast<qsizetype>(i)];
            row.warnings |= PlanWarning::ShiftedBlock;
            row.faces.shiftedTowards = block.direction == ShiftDirection::Down ? 1 : -1;
            inBlock[i] = true;
        }
        notices << ShiftNotice(plan.rows[static_cast<qsizetype>(block.first)].line,
                               plan.rows[static_cast<qsizetype>(block.last)].line, block.direction);
    }
    // A row of a block says whose face it shows already.
    for (const OtherStudentsFace& found : FindOtherStudentsFaces(newFaces, currentFaces)) {
        if (inBlock[found.row])
            continue;
        PlanRow& row = plan.rows[static_cast<qsizetype>(found.row)];
        row.warnings |= PlanWarning::OtherStudentsFace;
        for (const std::size_t other : found.students)
            row.faces.otherStudentLines << plan.rows[static_cast<qsizetype>(other)].line;
    }
    plan.notices << notices;
    return notices;
}

#include "assignment/checks/NeighbourChecks.h"

#include "assignment/checks/FaceSurvey.h"
#include "assignment/plan/AssignmentPlan.h"
#include "faces/FaceLikeness.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// A pause counts as long when it is this many times the batch's median
// pause and half a minute longer; the median needs this many pauses.
constexpr double kLongGapTimes = 3;
constexpr qint64 kLongGapMoreSeconds = 30;
constexpr std::size_t kGapsForMedian = 5;

// Two neighbouring faces are near the same when their distance is under
// this part of the batch's median neighbour distance; the median needs this
// many pairs.
constexpr double kRetakeShare = 0.45;
constexpr std::size_t kPairsForMedian = 4;

// Shifts. One row's best match says little (the recogniser ranks the right
// face of five first about half the time), so the evidence of a run of rows
// is summed: each row whose new face is nearest the current face s rows off
// counts for a shift of s, each nearest its own counts against, by the odds
// the batch itself shows. A run is told when the odds for it reach about
// kShiftOdds to one for each ten-fold of the rows compared.
constexpr double kShiftOddsPerDecade = 30;
constexpr double kLeastHitRate = 0.3; // below it the faces tell nothing
constexpr double kMostHitRate = 0.9;
constexpr std::size_t kRowsForShifts = 6;

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

std::vector<std::uint8_t> Crop(const SurveyedPhoto& look)
{
    return look.read ? look.portrait.faceCrop : std::vector<std::uint8_t>();
}

QString RowsText(int shift)
{
    const int rows = std::abs(shift);
    return rows == 1 ? QStringLiteral("一行") : QStringLiteral("两行");
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
    std::vector<std::vector<std::uint8_t>> faces(rows);
    for (std::size_t i = 0; i < rows; ++i)
        faces[i] = Crop(survey.newPhotos[i]);
    const std::vector<NeighbourDistances> distances = CompareNeighbours(faces, faces);
    std::vector<double> all;
    for (const NeighbourDistances& d : distances) {
        if (d.toNextNew)
            all.push_back(*d.toNextNew);
    }
    if (all.size() < kPairsForMedian)
        return;
    const double median = Median(all);
    for (std::size_t i = 0; i + 1 < rows; ++i) {
        const PlanRow& row = plan.rows[static_cast<qsizetype>(i)];
        PlanRow& next = plan.rows[static_cast<qsizetype>(i) + 1];
        // The same file twice is refused or warned of by its content already.
        const bool sameFile = !row.photo.contentHash.isEmpty() && row.photo.contentHash == next.photo.contentHash;
        if (distances[i].toNextNew && *distances[i].toNextNew < kRetakeShare * median && !sameFile)
            next.warnings |= PlanWarning::LikelyRetake;
    }
}

QStringList CheckShiftedRows(AssignmentPlan& plan, const FaceSurvey& survey)
{
    const std::size_t rows = RowCount(plan, survey);
    std::vector<std::vector<std::uint8_t>> fresh(rows);
    std::vector<std::vector<std::uint8_t>> current(rows);
    for (std::size_t i = 0; i < rows; ++i) {
        fresh[i] = Crop(survey.newPhotos[i]);
        current[i] = Crop(survey.currentPhotos[i]);
    }
    const std::vector<NeighbourDistances> distances = CompareNeighbours(fresh, current);

    // Each row's nearest current face, as an offset; nothing where its own
    // or every other is missing.
    std::vector<std::optional<int>> nearest(rows);
    std::vector<std::size_t> counts(2 * kNeighbourReach + 1);
    std::size_t compared = 0;
    for (std::size_t i = 0; i < rows; ++i) {
        const auto& toCurrent = distances[i].toCurrent;
        if (!toCurrent[kNeighbourReach])
            continue;
        int best = 0;
        bool others = false;
        for (int s = -kNeighbourReach; s <= kNeighbourReach; ++s) {
            const auto& d = toCurrent[s + kNeighbourReach];
            if (s != 0 && d)
                others = true;
            if (d && *d < *toCurrent[best + kNeighbourReach])
                best = s;
        }
        if (!others)
            continue;
        nearest[i] = best;
        ++counts[best + kNeighbourReach];
        ++compared;
    }
    if (compared < kRowsForShifts)
        return {};
    // How often the nearest face is the right one, in this batch: the
    // commonest offset's share (all rows may be shifted).
    const double hitRate =
        static_cast<double>(*std::max_element(counts.begin(), counts.end())) / static_cast<double>(compared);
    if (hitRate < kLeastHitRate)
        return {};
    const double rate = std::min(hitRate, kMostHitRate);
    const double step = std::log(rate / ((1 - rate) / (2 * kNeighbourReach)));
    const double needed = std::log(kShiftOddsPerDecade) * std::max(1.0, std::log10(static_cast<double>(compared)));

    struct Run {
        std::size_t first;
        std::size_t last;
        int shift;
    };
    std::vector<Run> runs;
    for (int shift = -kNeighbourReach; shift <= kNeighbourReach; ++shift) {
        if (shift == 0)
            continue;
        // The runs of highest summed evidence, each once it falls back to nothing.
        double sum = 0;
        double best = 0;
        std::size_t start = 0;
        std::size_t bestEnd = 0;
        auto close = [&] {
            if (best >= needed)
                runs.push_back({start, bestEnd, shift});
            sum = best = 0;
        };
        for (std::size_t i = 0; i < rows; ++i) {
            const double evidence = !nearest[i] ? 0 : *nearest[i] == shift ? step : *nearest[i] == 0 ? -step : 0;
            if (sum == 0 && evidence <= 0)
                continue;
            if (sum == 0)
                start = i;
            sum += evidence;
            if (sum > best) {
                best = sum;
                bestEnd = i;
            }
            if (sum <= 0)
                close();
        }
        close();
    }
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.first < b.first; });
    QStringList notices;
    for (const Run& run : runs) {
        const qsizetype first = plan.rows[static_cast<qsizetype>(run.first)].line;
        const qsizetype last = plan.rows[static_cast<qsizetype>(run.last)].line;
        notices << QStringLiteral("第 %1–%2 行的照片可能整体错位%3（新照片更像%4%3学生现有的照片），请逐一核对")
                       .arg(first)
                       .arg(last)
                       .arg(RowsText(run.shift), run.shift > 0 ? QStringLiteral("下") : QStringLiteral("上"));
    }
    plan.notices << notices;
    return notices;
}

#include "assignment/checks/FaceChecks.h"

#include "assignment/checks/NeighbourChecks.h"
#include "assignment/plan/AssignmentPlan.h"

#include <algorithm>
#include <cmath>

namespace {

// A face lower than this gives a 120 x 180 photo (framed at twice the face's
// height, FaceFraming.h) enlarged twice or more: soft. The faces of 120 x 180
// portraits, as the batch resize makes them, are 50 to 90 pixels high.
constexpr double kSmallestClearFace = 45;
// Over this share of the face near black or near white, it cannot be seen.
constexpr double kTooDarkShare = 0.5;
constexpr double kTooBrightShare = 0.4;
// Sharper than this part of the batch's median counts as sharp enough; the
// median needs this many faces.
constexpr double kBlurredShare = 0.3;
constexpr std::size_t kFacesForMedian = 5;

int Percent(double share)
{
    return static_cast<int>(std::lround(share * 100));
}

double Median(std::vector<double> values)
{
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

void CheckFace(PlanRow& row, const SurveyedPhoto& look, double medianSharpness)
{
    const PortraitExamination& portrait = look.portrait;
    if (portrait.faces == 0) {
        row.warnings |= PlanWarning::NoFace;
        return;
    }
    if (portrait.faces > 1)
        row.warnings |= PlanWarning::SeveralFaces;
    if (portrait.turn != FaceTurn::None) {
        row.warnings |= PlanWarning::TurnedFace;
        row.faces.turn = portrait.turn;
    }
    if (portrait.faceHeight < kSmallestClearFace) {
        row.warnings |= PlanWarning::SmallFace;
        row.faces.faceHeight = static_cast<int>(std::lround(portrait.faceHeight));
    }
    if (portrait.darkShare > kTooDarkShare) {
        row.warnings |= PlanWarning::DarkFace;
        row.faces.darkPercent = Percent(portrait.darkShare);
    }
    if (portrait.brightShare > kTooBrightShare) {
        row.warnings |= PlanWarning::BrightFace;
        row.faces.brightPercent = Percent(portrait.brightShare);
    }
    if (medianSharpness > 0 && portrait.sharpness < kBlurredShare * medianSharpness) {
        row.warnings |= PlanWarning::Blurred;
        row.faces.sharpnessPercent = Percent(portrait.sharpness / medianSharpness);
    }
}

} // namespace

QString FacesNotCheckedNotice(const QString& reason)
{
    return QStringLiteral("没有检查照片中的人脸：%1").arg(reason);
}

QString FacesNotComparedNotice(const QString& reason)
{
    return QStringLiteral("没有比较照片中的人脸（错位、重拍、别的学生的脸）：%1").arg(reason);
}

QStringList ApplyFaceChecks(AssignmentPlan& plan, const FaceSurvey& survey)
{
    if (!survey.unavailable.isEmpty()) {
        plan.notices << FacesNotCheckedNotice(survey.unavailable);
        return {};
    }
    const std::size_t rows =
        std::min({static_cast<std::size_t>(plan.rows.size()), survey.newPhotos.size(), survey.currentPhotos.size()});
    std::vector<double> sharpness;
    for (std::size_t i = 0; i < rows; ++i) {
        if (survey.newPhotos[i].read && survey.newPhotos[i].portrait.faces > 0)
            sharpness.push_back(survey.newPhotos[i].portrait.sharpness);
    }
    const double medianSharpness = sharpness.size() >= kFacesForMedian ? Median(sharpness) : 0;
    for (std::size_t i = 0; i < rows; ++i) {
        if (survey.newPhotos[i].read)
            CheckFace(plan.rows[static_cast<qsizetype>(i)], survey.newPhotos[i], medianSharpness);
    }
    CheckCaptureGaps(plan, survey);
    if (!survey.notCompared.isEmpty()) {
        plan.notices << FacesNotComparedNotice(survey.notCompared);
        return {};
    }
    CheckRetakes(plan, survey);
    return CheckShiftedRows(plan, survey);
}

#include "assignment/views/FaceWarningTexts.h"

namespace {

QString TurnText(FaceTurn turn)
{
    switch (turn) {
    case FaceTurn::Right:
        return QStringLiteral("向右转 90° 后才找到人脸");
    case FaceTurn::Left:
        return QStringLiteral("向左转 90° 后才找到人脸");
    case FaceTurn::Half:
        return QStringLiteral("转 180° 后才找到人脸");
    case FaceTurn::None:
        break;
    }
    return {};
}

QString GapText(qint64 seconds)
{
    if (seconds < 120)
        return QStringLiteral("%1 秒").arg(seconds);
    if (seconds < qint64{2} * 3600)
        return QStringLiteral("%1 分钟").arg(seconds / 60);
    return QStringLiteral("%1 小时").arg(seconds / 3600);
}

} // namespace

QString FaceParticulars(PlanWarning warning, const FaceFindings& findings)
{
    switch (warning) {
    case PlanWarning::TurnedFace:
        return TurnText(findings.turn);
    case PlanWarning::SmallFace:
        return QStringLiteral("脸高约 %1 像素").arg(findings.faceHeight);
    case PlanWarning::DarkFace:
        return QStringLiteral("%1% 接近全黑").arg(findings.darkPercent);
    case PlanWarning::BrightFace:
        return QStringLiteral("%1% 接近全白").arg(findings.brightPercent);
    case PlanWarning::Blurred:
        return QStringLiteral("清晰度只有本批照片中位数的 %1%").arg(findings.sharpnessPercent);
    case PlanWarning::LongCaptureGap:
        return QStringLiteral("间隔 %1").arg(GapText(findings.captureGapSeconds));
    case PlanWarning::ShiftedBlock:
        return findings.shiftedTowards > 0 ? QStringLiteral("新照片更像下一行学生现有的照片")
                                           : QStringLiteral("新照片更像上一行学生现有的照片");
    default:
        return {};
    }
}

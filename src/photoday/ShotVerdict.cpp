#include "photoday/ShotVerdict.h"

#include "faces/PortraitExamination.h"
#include "faces/PortraitLimits.h"

#include <cmath>

const QString kNotTheSitePhotosPerson = QStringLiteral("不像网站上这名学生现有的照片");

namespace {

// The framing puts the face at half the 180 pixels of the saved photo. A
// face lower than that in the camera's frame is enlarged to fill it, softer
// than the camera could have given, when a step closer costs nothing. (The
// proof sheet's limit, half this, is for photos taken already; at the
// camera it would never be met: the detector finds no face under about 45
// pixels of a 1920 x 1080 frame.)
constexpr double kSmallestFaceAtCamera = 90;

} // namespace

ShotVerdict JudgeShot(const PortraitExamination& look, const SiteFace& site)
{
    ShotVerdict verdict;
    if (look.faces == 0) {
        verdict.problems << QStringLiteral("没有找到人脸");
        return verdict;
    }
    if (look.faces > 1)
        verdict.problems << QStringLiteral("画面中有 %1 张人脸，只应有这名学生").arg(look.faces);
    if (look.turn != FaceTurn::None)
        verdict.problems << QStringLiteral("人脸是横的或倒的，请把摄像头摆正");
    if (look.faceHeight < kSmallestFaceAtCamera) {
        verdict.problems << QStringLiteral("人脸太小（%1 像素高），请让学生走近一些")
                                .arg(static_cast<int>(std::lround(look.faceHeight)));
    }
    if (look.darkShare > kTooDarkShare)
        verdict.problems << QStringLiteral("人脸太暗");
    if (look.brightShare > kTooBrightShare)
        verdict.problems << QStringLiteral("人脸过亮（曝光过度）");
    if (look.sharpness < kBlurredSharpness)
        verdict.problems << QStringLiteral("照片模糊");
    if (site.descriptor && look.descriptor) {
        if (!SamePerson(*site.descriptor, *look.descriptor))
            verdict.problems << kNotTheSitePhotosPerson;
    } else if (!site.whyNone.isEmpty()) {
        verdict.notes << site.whyNone;
    }
    return verdict;
}

#include "photoday/ShotExaminer.h"

#include "faces/FaceDescriber.h"
#include "faces/PortraitExamination.h"
#include "faces/ReducedPhoto.h"
#include "files/FileSystemPath.h"
#include "picture/TBitmap.h"

#include <exception>

namespace {

// As large as the proof sheet's face checks read a photo (FaceSurvey.cpp):
// a site's photos are smaller still.
constexpr std::int32_t kSitePhotoShortSide = 480;

const QString kNotCompared = QStringLiteral("无法核对是否本人：");

} // namespace

ShotExaminer::ShotExaminer(const std::filesystem::path& faceModel, const std::filesystem::path& descriptorModel)
    : detector_(faceModel)
{
    try {
        describer_ = std::make_unique<FaceDescriber>(descriptorModel);
    } catch (const std::exception& error) {
        noDescriber_ = kNotCompared + QString::fromUtf8(error.what());
    }
}

ShotExaminer::~ShotExaminer() = default;

ShotVerdict ShotExaminer::Check(const TBitmap& frame, const QString& sitePhoto)
{
    // The frame at full resolution: the face's sharpness is measured at its
    // size in the saved photo, never from a reduced copy that would soften it.
    const PictureSize size{frame.Width(), frame.Height()};
    const PortraitExamination look =
        describer_ ? ExaminePortrait(detector_, *describer_, frame, size) : ExaminePortrait(detector_, frame, size);
    if (sitePhoto.isEmpty())
        return JudgeShot(look, {});
    return JudgeShot(look, FaceOfSitePhoto(sitePhoto));
}

const SiteFace& ShotExaminer::FaceOfSitePhoto(const QString& sitePhoto)
{
    if (const auto known = siteFaces_.constFind(sitePhoto); known != siteFaces_.cend())
        return *known;
    SiteFace face;
    if (!describer_) {
        face.whyNone = noDescriber_;
    } else {
        try {
            const ReducedPhoto photo = ReadReducedPhoto(FileSystemPath(sitePhoto), kSitePhotoShortSide);
            face.descriptor = ExaminePortrait(detector_, *describer_, *photo.pixels, photo.upright).descriptor;
            if (!face.descriptor)
                face.whyNone = kNotCompared + QStringLiteral("网站上的现有照片中没有找到人脸");
        } catch (const std::exception& error) {
            face.whyNone =
                kNotCompared + QStringLiteral("网站上的现有照片无法读取（%1）").arg(QString::fromUtf8(error.what()));
        }
    }
    return *siteFaces_.insert(sitePhoto, face);
}

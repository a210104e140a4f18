#include "photoday/BackgroundShotChecks.h"

#include "picture/TBitmap.h"

#include <exception>
#include <utility>

BackgroundShotChecks::BackgroundShotChecks(MakeExaminer makeExaminer) : worker_(std::move(makeExaminer)) { }

QFuture<ShotVerdict> BackgroundShotChecks::Check(std::shared_ptr<const TBitmap> frame, const QString& sitePhoto)
{
    return worker_.Run([frame = std::move(frame), sitePhoto](ShotExaminer* examiner, const QString& whyNot) {
        ShotVerdict verdict;
        if (!examiner) {
            verdict.notes << QStringLiteral("没有检查照片：%1").arg(whyNot);
            return verdict;
        }
        try {
            verdict = examiner->Check(*frame, sitePhoto);
        } catch (const std::exception& error) {
            verdict.notes << QStringLiteral("没有检查照片：%1").arg(QString::fromUtf8(error.what()));
        }
        return verdict;
    });
}

void BackgroundShotChecks::Prepare(const QString& sitePhoto)
{
    if (sitePhoto.isEmpty())
        return;
    worker_.Run([sitePhoto](ShotExaminer* examiner, const QString&) {
        // The check that needs the face meets the same failure and notes it.
        try {
            if (examiner)
                examiner->FaceOfSitePhoto(sitePhoto);
        } catch (const std::exception&) {
        }
        return true;
    });
}

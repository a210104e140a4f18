#include "photoday/BackgroundShotChecks.h"

#include "photoday/ShotExaminer.h"
#include "picture/TBitmap.h"

#include <QtConcurrent/QtConcurrentRun>

#include <exception>
#include <utility>

BackgroundShotChecks::BackgroundShotChecks(MakeExaminer makeExaminer) : makeExaminer_(std::move(makeExaminer))
{
    // One thread: the checks never run side by side, so the examiner needs
    // no lock, and the camera's picture keeps the other core.
    worker_.setMaxThreadCount(1);
}

BackgroundShotChecks::~BackgroundShotChecks()
{
    worker_.waitForDone();
}

ShotExaminer* BackgroundShotChecks::Examiner()
{
    if (!tried_) {
        tried_ = true;
        try {
            examiner_ = makeExaminer_();
        } catch (const std::exception& error) {
            unavailable_ = QString::fromUtf8(error.what());
        }
    }
    return examiner_.get();
}

QFuture<ShotVerdict> BackgroundShotChecks::Check(std::shared_ptr<const TBitmap> frame, const QString& sitePhoto)
{
    return QtConcurrent::run(&worker_, [this, frame = std::move(frame), sitePhoto] {
        ShotVerdict verdict;
        ShotExaminer* examiner = Examiner();
        if (!examiner) {
            verdict.notes << QStringLiteral("没有检查照片：%1").arg(unavailable_);
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
    worker_.start([this, sitePhoto] {
        // Nothing may leave the worker's task: the check that needs the face
        // meets the same failure and notes it.
        try {
            if (ShotExaminer* examiner = Examiner())
                examiner->FaceOfSitePhoto(sitePhoto);
        } catch (const std::exception&) {
        }
    });
}

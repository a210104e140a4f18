#pragma once

#include "photoday/ShotVerdict.h"

#include <QFuture>
#include <QString>
#include <QThreadPool>

#include <functional>
#include <memory>

class ShotExaminer;
class TBitmap;

// The checks of the grabs, run one after the other on a thread of their
// own, so that the window stays smooth while a frame is looked at. The
// examiner (its models take a moment to load) is made on that thread at the
// first check and kept, with the site photos it has described. Destroying
// the object waits for the check in hand.
class BackgroundShotChecks {
public:
    // How the examiner is made (ShotExaminer's constructor, with the models
    // the program uses); what it throws is noted on every verdict.
    using MakeExaminer = std::function<std::unique_ptr<ShotExaminer>()>;

    explicit BackgroundShotChecks(MakeExaminer makeExaminer);
    ~BackgroundShotChecks();
    BackgroundShotChecks(const BackgroundShotChecks&) = delete;
    BackgroundShotChecks& operator=(const BackgroundShotChecks&) = delete;

    // The verdict on `frame` (shared, never changed while checked) against
    // the site's photo of the student (empty: none), when it is ready. A
    // check that cannot be done gives a verdict noting why, never a problem.
    QFuture<ShotVerdict> Check(std::shared_ptr<const TBitmap> frame, const QString& sitePhoto);
    // Describes the site's photo of the student now before the camera, so
    // that the grab's check does not wait for it.
    void Prepare(const QString& sitePhoto);

private:
    // On the worker thread only.
    ShotExaminer* Examiner();

    const MakeExaminer makeExaminer_;
    std::unique_ptr<ShotExaminer> examiner_;
    QString unavailable_; // why there is no examiner, once tried
    bool tried_ = false;
    // Declared last: destroyed first, it waits for the work in hand before
    // the examiner goes.
    QThreadPool worker_;
};

#pragma once

#include "photoday/OneThreadWorker.h"
#include "photoday/ShotExaminer.h"
#include "photoday/ShotVerdict.h"

#include <QFuture>
#include <QString>

#include <memory>

class TBitmap;

// The checks of the grabs, run one after the other on a thread of their
// own, so that the window stays smooth while a frame is looked at. The
// examiner is made on that thread at the first check and kept, with the
// site photos it has described. Destroying the object waits for the check
// in hand.
class BackgroundShotChecks {
public:
    // How the examiner is made (ShotExaminer's constructor, with the models
    // the program uses); what it throws is noted on every verdict.
    using MakeExaminer = OneThreadWorker<ShotExaminer>::MakeTool;

    explicit BackgroundShotChecks(MakeExaminer makeExaminer);

    // The verdict on `frame` (shared, never changed while checked) against
    // the site's photo of the student (empty: none), when it is ready. A
    // check that cannot be done gives a verdict noting why, never a problem.
    QFuture<ShotVerdict> Check(std::shared_ptr<const TBitmap> frame, const QString& sitePhoto);
    // Describes the site's photo of the student now before the camera, so
    // that the grab's check does not wait for it.
    void Prepare(const QString& sitePhoto);

private:
    OneThreadWorker<ShotExaminer> worker_;
};

#include "photoday/SaveStudentPhoto.h"

#include "photoday/PhotoDaySession.h"
#include "photoday/PhotoFiles.h"
#include "photoday/Shot.h"
#include "picture/TBitmap.h"

void SaveStudentPhoto(PhotoDaySession& day, const Shot& shot, const TBitmap& framed, const QStringList& problems)
{
    if (day.AtEnd())
        return;
    // An empty picture would be written as nothing and still count as the
    // student's photo.
    if (!shot.frame || shot.frame->Empty() || framed.Empty())
        throw EPhotoDayError("请先获取图片！");
    // Nothing of one student is ever saved as another's.
    const QString code = day.Code(day.Position());
    if (shot.student != day.Position() || shot.code != code) {
        throw EPhotoDayError(QStringLiteral("这张照片是为 %1 拍的，不能存为 %2 的照片，请重新获取图片。")
                                 .arg(shot.code, code)
                                 .toStdString());
    }
    day.SavePhotos(FramedPhotoFile(framed), OriginalFile(*shot.frame, shot.taken), shot.taken, problems);
}

#include "photoday/SaveStudentPhoto.h"

#include "files/FileSystemPath.h"
#include "photoday/PhotoDaySession.h"
#include "picture/TGraphic.h"
#include "picture/TPicture.h"

#include <QDir>

#include <exception>

void SaveStudentPhoto(PhotoDaySession& day, const TPicture& photo)
{
    if (day.AtEnd())
        return;
    // An empty picture would be written as nothing and still count as the
    // student's photo.
    if (!photo.Graphic() || photo.Graphic()->Empty())
        throw EPhotoDayError("请先获取图片！");
    const QString path = day.PhotoPath(day.Position());
    try {
        photo.SaveToFile(FileSystemPath(path));
    } catch (const std::exception& error) {
        throw EPhotoDayError(QStringLiteral("无法写入 %1（%2）")
                                 .arg(QDir::toNativeSeparators(path), QString::fromUtf8(error.what()))
                                 .toStdString());
    }
    day.PhotoSaved();
}

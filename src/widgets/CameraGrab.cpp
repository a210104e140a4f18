#include "widgets/CameraGrab.h"

#include "files/FileSystemPath.h"
#include "picture/TPicture.h"
#include "platform/camera/CameraSource.h"
#include "widgets/WaitCursor.h"

#include <QFile>
#include <QFileInfo>

const QString kNoCameraMessage = QStringLiteral("没有找到摄像头");

QString ScratchFrameFile(const QString& programFolder)
{
    return programFolder + QStringLiteral("temp.bmp");
}

void GrabCameraFrame(CameraSource& camera, const QString& scratchFile, TPicture& picture)
{
    if (!camera.CameraFound())
        throw ECameraGrabError(kNoCameraMessage.toStdString());
    const WaitCursor busy;
    // A camera without a frame writes nothing: the last grab's file must not
    // stand in for this one.
    QFile::remove(scratchFile);
    camera.SaveFrame(scratchFile);
    if (!QFileInfo::exists(scratchFile))
        throw ECameraGrabError("摄像头没有送来画面，请稍候再按“获取图片”。");
    picture.LoadFromFile(FileSystemPath(scratchFile));
}

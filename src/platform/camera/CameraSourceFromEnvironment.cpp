#include "platform/camera/CameraSourceFromEnvironment.h"

#include "platform/camera/QtCameraSource.h"
#include "platform/camera/SyntheticCameraSource.h"

#include <QImage>

std::unique_ptr<CameraSource> CameraSourceFromEnvironment()
{
    const QString choice = qEnvironmentVariable("STUDENT_PHOTO_TEST_CAMERA");
    if (choice.isEmpty())
        return std::make_unique<QtCameraSource>();
    QImage frame(choice);
    if (frame.isNull())
        frame = SyntheticCameraSource::TestPattern(640, 480);
    return std::make_unique<SyntheticCameraSource>(frame.convertToFormat(QImage::Format_RGB32));
}

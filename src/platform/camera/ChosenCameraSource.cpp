#include "platform/camera/ChosenCameraSource.h"

#include "platform/camera/QtCameraSource.h"
#include "platform/camera/SyntheticCameraSource.h"

#include <QImage>

std::unique_ptr<CameraSource> ChosenCameraSource(const QString& testCamera)
{
    if (testCamera.isEmpty())
        return std::make_unique<QtCameraSource>();
    QImage frame(testCamera);
    if (frame.isNull())
        frame = SyntheticCameraSource::TestPattern(640, 480);
    return std::make_unique<SyntheticCameraSource>(frame.convertToFormat(QImage::Format_RGB32));
}

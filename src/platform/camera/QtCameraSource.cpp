#include "platform/camera/QtCameraSource.h"

#include <QCamera>
#include <QImage>
#include <QMediaDevices>
#include <QVideoFrame>
#include <QVideoSink>
#include <QVideoWidget>

QtCameraSource::QtCameraSource() = default;

QtCameraSource::~QtCameraSource()
{
    StopPreview();
    session_.setVideoOutput(nullptr);
}

bool QtCameraSource::StartPreview(QWidget* parent, const QRect& area)
{
    if (!preview_) {
        preview_ = new QVideoWidget(parent);
        // The live picture fills the whole preview area, whatever the camera's shape.
        preview_->setAspectRatioMode(Qt::IgnoreAspectRatio);
        session_.setVideoOutput(preview_.data());
    } else if (preview_->parentWidget() != parent) {
        // Another window takes the camera: the one preview moves there, so
        // that no window keeps a dead copy of it.
        preview_->setParent(parent);
    }
    preview_->setGeometry(area);
    preview_->raise();
    preview_->show();

    // A second start while the camera runs keeps it: starting another one
    // would leave the first connected with no way to stop it.
    if (camera_)
        return true;

    const QList<QCameraDevice> cameras = QMediaDevices::videoInputs();
    cameraFound_ = !cameras.isEmpty();
    if (cameras.isEmpty())
        return true; // an empty preview, as with a camera that cannot be connected
    camera_ = std::make_unique<QCamera>(cameras.first());
    session_.setCamera(camera_.get());
    camera_->start();
    return true;
}

void QtCameraSource::StopPreview()
{
    if (!camera_)
        return;
    camera_->stop();
    session_.setCamera(nullptr);
    camera_.reset();
}

void QtCameraSource::SaveFrame(const QString& path)
{
    const QImage image = CurrentFrame();
    if (!image.isNull())
        image.save(path, "BMP");
}

QImage QtCameraSource::CurrentFrame()
{
    if (!preview_ || !camera_ || !preview_->videoSink())
        return {};
    const QVideoFrame frame = preview_->videoSink()->videoFrame();
    if (!frame.isValid())
        return {};
    return frame.toImage().convertToFormat(QImage::Format_RGB32);
}

#pragma once

#include "platform/camera/CameraSource.h"

#include <QMediaCaptureSession>
#include <QPointer>

#include <memory>

class QCamera;
class QVideoWidget;

// The machine's first camera through Qt Multimedia: a QVideoWidget child as
// the preview window, the capture session drawing into it by itself.
class QtCameraSource final : public CameraSource {
public:
    QtCameraSource();
    ~QtCameraSource() override;

    bool StartPreview(QWidget* parent, const QRect& area) override;
    void StopPreview() override;
    bool CameraFound() const override { return cameraFound_; }
    void SaveFrame(const QString& path) override;
    QImage CurrentFrame() override;

private:
    QMediaCaptureSession session_;
    // Owned by its parent window, which may go first at the end of the run.
    QPointer<QVideoWidget> preview_;
    std::unique_ptr<QCamera> camera_;
    bool cameraFound_ = false;
};

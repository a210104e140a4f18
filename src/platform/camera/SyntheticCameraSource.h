#pragma once

#include "platform/camera/CameraSource.h"

#include <QImage>
#include <QPointer>

class QLabel;

// A camera that always shows one known frame: for the tests, and for trying
// the capture window on a machine without a camera (see ChosenCameraSource.h).
class SyntheticCameraSource final : public CameraSource {
public:
    explicit SyntheticCameraSource(QImage frame = TestPattern(640, 480));

    // A frame whose every pixel can be told apart by position: red grows to
    // the right, green downwards, blue alternates in 16-pixel squares, and a
    // black arrow near the top points up, so turns and zooms show at a glance.
    static QImage TestPattern(int width, int height);

    // The frame that the preview shows and SaveFrame writes from now on.
    void SetFrame(QImage frame);
    // Whether the next start can make its preview window.
    void SetCanMakeWindow(bool canMake) { canMakeWindow_ = canMake; }
    // Whether there is a camera at all: without one a start makes an empty
    // preview and a grab writes nothing.
    void SetCameraPresent(bool present) { present_ = present; }

    bool IsConnected() const { return connected_; }
    int ConnectCount() const { return connectCount_; }
    QWidget* PreviewWindow() const;

    bool StartPreview(QWidget* parent, const QRect& area) override;
    void StopPreview() override;
    bool CameraFound() const override { return present_; }
    void SaveFrame(const QString& path) override;
    QImage CurrentFrame() override;

private:
    void ShowCurrentState();

    QImage frame_;
    QPointer<QLabel> preview_;
    bool canMakeWindow_ = true;
    bool present_ = true;
    bool connected_ = false;
    int connectCount_ = 0;
};

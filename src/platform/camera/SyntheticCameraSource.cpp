#include "platform/camera/SyntheticCameraSource.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <iterator>
#include <utility>

SyntheticCameraSource::SyntheticCameraSource(QImage frame) : frame_(std::move(frame)) { }

QImage SyntheticCameraSource::TestPattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int red = width > 1 ? x * 255 / (width - 1) : 0;
            const int green = height > 1 ? y * 255 / (height - 1) : 0;
            const int blue = ((x / 16 + y / 16) % 2) ? 200 : 60;
            row[x] = qRgb(red, green, blue);
        }
    }
    if (width >= 40 && height >= 40) {
        QPainter painter(&image);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        const qreal cx = width / 2.0;
        const qreal unit = std::min(width, height) / 8.0;
        const QPointF arrow[] = {{cx, unit},
                                 {cx + 1.5 * unit, 2.5 * unit},
                                 {cx + 0.5 * unit, 2.5 * unit},
                                 {cx + 0.5 * unit, 4.5 * unit},
                                 {cx - 0.5 * unit, 4.5 * unit},
                                 {cx - 0.5 * unit, 2.5 * unit},
                                 {cx - 1.5 * unit, 2.5 * unit}};
        painter.drawPolygon(arrow, static_cast<int>(std::size(arrow)));
    }
    return image;
}

void SyntheticCameraSource::SetFrame(QImage frame)
{
    frame_ = std::move(frame);
    ShowCurrentState();
}

QWidget* SyntheticCameraSource::PreviewWindow() const
{
    return preview_.data();
}

bool SyntheticCameraSource::StartPreview(QWidget* parent, const QRect& area)
{
    if (!canMakeWindow_)
        return false;
    if (!preview_) {
        preview_ = new QLabel(parent);
        preview_->setScaledContents(true);
        preview_->setAutoFillBackground(true);
        QPalette palette = preview_->palette();
        palette.setColor(QPalette::Window, Qt::black);
        preview_->setPalette(palette);
    } else if (preview_->parentWidget() != parent) {
        preview_->setParent(parent);
    }
    preview_->setGeometry(area);
    preview_->raise();
    preview_->show();
    if (!connected_) {
        connected_ = true;
        ++connectCount_;
    }
    ShowCurrentState();
    return true;
}

void SyntheticCameraSource::StopPreview()
{
    connected_ = false;
    ShowCurrentState();
}

void SyntheticCameraSource::SaveFrame(const QString& path)
{
    const QImage frame = CurrentFrame();
    if (!frame.isNull())
        frame.save(path, "BMP");
}

QImage SyntheticCameraSource::CurrentFrame()
{
    return present_ && connected_ ? frame_ : QImage();
}

void SyntheticCameraSource::ShowCurrentState()
{
    if (!preview_)
        return;
    // Disconnected, the preview goes dark, as a real one does.
    if (present_ && connected_)
        preview_->setPixmap(QPixmap::fromImage(frame_));
    else
        preview_->clear();
}

#include "widgets/TImage.h"

#include "picture/PictureCanvas.h"
#include "picture/PictureErrors.h"
#include "picture/TJPEGImage.h"
#include "widgets/BitmapImage.h"
#include "widgets/ImageControl.h"

#include <QPaintEvent>
#include <QPainter>

TImage::TImage(QWidget* parent) : QWidget(parent)
{
    // An empty control shows what lies beneath it (the crop preview's label).
    setAttribute(Qt::WA_NoSystemBackground);
    picture_.SetOnChange([this] { PictureChanged(); });
}

TImage::~TImage()
{
    picture_.SetOnChange(nullptr);
}

TCanvas& TImage::Canvas()
{
    return ImageCanvas(picture_, width(), height());
}

void TImage::setStretch(bool stretch)
{
    stretch_ = stretch;
    update();
}

void TImage::setCenter(bool center)
{
    center_ = center;
    update();
}

void TImage::PictureChanged()
{
    // Called once per pixel written during a turn: keep it to two flags.
    shownImageValid_ = false;
    if (repaintPending_)
        return;
    repaintPending_ = true;
    update();
}

const QImage& TImage::ShownImage()
{
    if (shownImageValid_)
        return shownImage_;
    shownImage_ = QImage();
    shownImageValid_ = true;
    TGraphic* graphic = picture_.Graphic();
    if (auto* bitmap = dynamic_cast<TBitmap*>(graphic)) {
        if (!bitmap->Empty())
            shownImage_ = ToQImage(*bitmap);
    } else if (auto* jpeg = dynamic_cast<TJPEGImage*>(graphic)) {
        // A JPEG that cannot be decoded shows nothing; the handler that
        // loaded it has dealt with the failure already.
        try {
            TBitmap decoded;
            decoded.Assign(&jpeg->DecodedBitmap());
            shownImage_ = ToQImage(decoded);
        } catch (const EPictureError&) {
        }
    }
    return shownImage_;
}

void TImage::paintEvent(QPaintEvent* event)
{
    repaintPending_ = false;
    const QImage& image = ShownImage();
    if (image.isNull())
        return;
    const TRect place =
        ImagePlacement(picture_, width(), height(), stretch_ ? PictureFit::Stretched : PictureFit::OwnSize,
                       center_ ? PicturePosition::Centered : PicturePosition::TopLeft);
    QPainter painter(this);
    painter.setClipRegion(event->region());
    // Scaled pixels are sampled, never blended, as the picture component does.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QRect target(place.Left, place.Top, place.Width(), place.Height());
    if (target.size() == image.size())
        painter.drawImage(target.topLeft(), image);
    else
        painter.drawImage(target, image);
}

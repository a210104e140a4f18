#include "widgets/TShape.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

TShape::TShape(QWidget* parent) : QWidget(parent)
{
    // Nothing of its own beneath the outline: what the widgets under it
    // painted stays, and the mask works on that.
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
}

void TShape::setPenColor(const QColor& color)
{
    penColor_ = color;
    update();
}

void TShape::setPenWidth(int width)
{
    penWidth_ = width;
    update();
}

void TShape::paintEvent(QPaintEvent*)
{
    const int band = std::min({penWidth_, width() / 2, height() / 2});
    if (band <= 0)
        return;
    QPainter painter(this);
    // Raster operations work on the raster backing store every platform of
    // this tool paints widgets into; the pen's alpha is kept opaque so the
    // result stays an opaque colour.
    painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    const QColor pen = QColor(penColor_.red(), penColor_.green(), penColor_.blue());
    const int w = width();
    const int h = height();
    painter.fillRect(0, 0, w, band, pen);
    painter.fillRect(0, h - band, w, band, pen);
    painter.fillRect(0, band, band, h - 2 * band, pen);
    painter.fillRect(w - band, band, band, h - 2 * band, pen);
}

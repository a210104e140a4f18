#include "widgets/TGauge.h"

#include <QPainter>

#include <algorithm>

namespace {

const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kNavy(0x00, 0x00, 0x80);

} // namespace

TGauge::TGauge(QWidget* parent) : QWidget(parent) { }

void TGauge::SetMaxValue(int value)
{
    Update(std::min(minValue_, value), value, progress_);
}

void TGauge::SetProgress(int value)
{
    Update(minValue_, maxValue_, value);
}

void TGauge::Update(int minValue, int maxValue, int progress)
{
    const int percentBefore = PercentDone();
    minValue_ = minValue;
    maxValue_ = maxValue;
    progress_ = std::clamp(progress, minValue_, maxValue_);
    if (PercentDone() != percentBefore)
        repaint();
}

int TGauge::PercentDone() const
{
    if (maxValue_ == minValue_)
        return 0;
    return static_cast<int>((static_cast<long long>(progress_) - minValue_) * 100
                            / (static_cast<long long>(maxValue_) - minValue_));
}

void TGauge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    painter.fillRect(inner, kSilver);
    const int barWidth = inner.width() * PercentDone() / 100;
    const QRect bar(inner.left(), inner.top(), barWidth, inner.height());
    painter.fillRect(bar, kNavy);

    const QString text = QStringLiteral("%1%").arg(PercentDone());
    // The text is black over silver and white over the bar.
    painter.setPen(Qt::black);
    painter.setClipRect(inner.adjusted(barWidth, 0, 0, 0));
    painter.drawText(inner, Qt::AlignCenter, text);
    painter.setPen(Qt::white);
    painter.setClipRect(bar);
    painter.drawText(inner, Qt::AlignCenter, text);

    painter.setClipping(false);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

#include "widgets/TStatusBar.h"

#include <QLabel>

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent)
{
    setSizeGripEnabled(false);
    constexpr std::array<int, 2> kPanelWidths{200, 50};
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        panels_[i] = new QLabel(this);
        panels_[i]->setObjectName(QStringLiteral("Panel%1").arg(i));
        panels_[i]->setFrameShape(QFrame::Panel);
        panels_[i]->setFrameShadow(QFrame::Sunken);
        // The last panel takes the rest of the bar, as a status bar's last
        // panel does: 50 pixels would cut "共有 1000 图片" short.
        const bool last = i + 1 == panels_.size();
        if (last)
            panels_[i]->setMinimumWidth(kPanelWidths[i]);
        else
            panels_[i]->setFixedWidth(kPanelWidths[i]);
        addWidget(panels_[i], last ? 1 : 0);
    }
}

QString TStatusBar::PanelText(int panel) const
{
    return panels_.at(static_cast<std::size_t>(panel))->text();
}

void TStatusBar::SetPanelText(int panel, const QString& text)
{
    panels_.at(static_cast<std::size_t>(panel))->setText(text);
}

#pragma once

#include <QStatusBar>

#include <array>

class QLabel;

// The main window's status bar: panel 0 is 200 pixels wide, panel 1 (at
// least 50) runs to the bar's right end. Each panel shows its sunken edges.
class TStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget* parent = nullptr);

    QString PanelText(int panel) const;
    void SetPanelText(int panel, const QString& text);

private:
    std::array<QLabel*, 2> panels_{};
};

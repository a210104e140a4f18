#pragma once

#include <QColor>
#include <QWidget>

// A rectangle outline drawn in mask mode: where the pen passes, only the
// pen's colour channels of whatever lies beneath survive (beneath AND pen),
// so a red pen leaves the red part of the picture under it; the inside is
// left clear. The crop frame of the capture window is one.
class TShape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor PenColor READ PenColor WRITE setPenColor)
    Q_PROPERTY(int PenWidth READ PenWidth WRITE setPenWidth)
public:
    explicit TShape(QWidget* parent = nullptr);

    // Setters of the layout's properties are named the way uic calls them.
    QColor PenColor() const { return penColor_; }
    void setPenColor(const QColor& color);
    int PenWidth() const { return penWidth_; }
    void setPenWidth(int width);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor penColor_ = Qt::black;
    int penWidth_ = 1;
};

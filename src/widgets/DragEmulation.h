#pragma once

#include <QObject>
#include <QPoint>

#include <functional>
#include <vector>

class QWidget;

// The window toolkit's dragging as the capture windows use it, made from
// mouse events: pressing the left button on one of the controls starts a drag
// at once, without waiting for a movement; every move then reports the
// pointer to the control under it, in that control's coordinates, and leaving
// a control is reported to it before entering the next; the release ends the
// drag, and dropping does nothing. While the drag lasts the pointer shows
// whether the control under it accepts a drag.
class DragEmulation : public QObject {
public:
    using DragOver = std::function<void(QWidget* control, QPoint point)>;

    // `controls` lie in `area` and both start and accept a drag; one listed
    // earlier lies above the ones after it.
    DragEmulation(QWidget& area, std::vector<QWidget*> controls, DragOver dragOver);
    ~DragEmulation() override;

    // Ends a drag in progress (the window closes); nothing without one.
    void End();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DragTo(QPoint pointInArea);
    QWidget* ControlAt(QPoint pointInArea) const;
    void Report(QWidget* control, QPoint pointInArea);

    QWidget& area_;
    const std::vector<QWidget*> controls_;
    const DragOver dragOver_;
    bool dragging_ = false;
    QWidget* under_ = nullptr;
};

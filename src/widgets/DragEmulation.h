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
//
// What is dragged keeps the place under the pointer where it was taken: the
// point reported is the held point (what `heldPoint` gives at the press, in
// the area's coordinates) moved as far as the pointer has moved since. A
// press alone reports nothing, so that a click leaves everything where it is;
// the old way, reporting the pointer itself from the press on, made the
// picture jump its centre to wherever it was clicked.
class DragEmulation : public QObject {
public:
    using DragOver = std::function<void(QWidget* control, QPoint point)>;
    using HeldPoint = std::function<QPoint()>;

    // `controls` lie in `area` and both start and accept a drag; one listed
    // earlier lies above the ones after it.
    DragEmulation(QWidget& area, std::vector<QWidget*> controls, DragOver dragOver, HeldPoint heldPoint);
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
    const HeldPoint heldPoint_;
    // The held point less the pointer at the press, in the area's coordinates.
    QPoint heldOffset_;
    bool dragging_ = false;
    QWidget* under_ = nullptr;
};

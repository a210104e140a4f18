#include "widgets/DragEmulation.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <algorithm>
#include <utility>

DragEmulation::DragEmulation(QWidget& area, std::vector<QWidget*> controls, DragOver dragOver, HeldPoint heldPoint)
    : area_(area), controls_(std::move(controls)), dragOver_(std::move(dragOver)), heldPoint_(std::move(heldPoint))
{
    for (QWidget* control : controls_)
        control->installEventFilter(this);
}

DragEmulation::~DragEmulation()
{
    End();
}

void DragEmulation::End()
{
    if (!dragging_)
        return;
    dragging_ = false;
    under_ = nullptr;
    QApplication::restoreOverrideCursor();
}

bool DragEmulation::eventFilter(QObject* watched, QEvent* event)
{
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint inArea = static_cast<QWidget*>(watched)->mapTo(&area_, mouse->position().toPoint());
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
        // A press while dragging (its release went elsewhere) goes on with
        // the same drag: one cursor of ours on the stack at the most.
        if (!dragging_)
            QApplication::setOverrideCursor(Qt::PointingHandCursor);
        dragging_ = true;
        // Taken where it lies: nothing moves until the pointer does.
        heldOffset_ = heldPoint_() - inArea;
        under_ = ControlAt(inArea);
        return true;
    }
    if (!dragging_)
        return false;
    if (type == QEvent::MouseMove)
        DragTo(inArea);
    else if (mouse->button() == Qt::LeftButton)
        End();
    return true;
}

QWidget* DragEmulation::ControlAt(QPoint pointInArea) const
{
    const auto found = std::find_if(controls_.begin(), controls_.end(),
                                    [&](const QWidget* control) { return control->geometry().contains(pointInArea); });
    return found == controls_.end() ? nullptr : *found; // the area itself accepts nothing
}

void DragEmulation::DragTo(QPoint pointInArea)
{
    QWidget* control = ControlAt(pointInArea);
    if (under_ && under_ != control)
        Report(under_, pointInArea);
    under_ = control;
    if (control)
        Report(control, pointInArea);
    QApplication::changeOverrideCursor(control ? Qt::PointingHandCursor : Qt::ForbiddenCursor);
}

void DragEmulation::Report(QWidget* control, QPoint pointInArea)
{
    dragOver_(control, pointInArea + heldOffset_ - control->pos());
}

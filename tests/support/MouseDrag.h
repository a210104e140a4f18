#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QPoint>
#include <QWidget>

// A drag with the left button as the user makes it: pressed at `from` of
// `pressed`, moved with the button held to `to` (in the same control's
// coordinates, as they were at the press) and released there. The events go
// straight to the control, so that the move carries the held button on any
// platform plugin (QTest's own mouseMove sends none on the offscreen one).
inline void DragWithMouse(QWidget* pressed, QPoint from, QPoint to)
{
    const QPoint origin = pressed->mapToGlobal(QPoint(0, 0));
    const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), QPointF(origin + at), button, held, Qt::NoModifier);
        QApplication::sendEvent(pressed, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    // The control may have moved with the press: the move is where the
    // pointer went on the screen, seen from the control where it is now.
    const QPoint movedTo = to + origin - pressed->mapToGlobal(QPoint(0, 0));
    send(QEvent::MouseMove, movedTo, Qt::NoButton, Qt::LeftButton);
    const QPoint releasedAt = to + origin - pressed->mapToGlobal(QPoint(0, 0));
    send(QEvent::MouseButtonRelease, releasedAt, Qt::LeftButton, Qt::NoButton);
}

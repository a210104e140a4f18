#pragma once

#include <QCursor>
#include <QGuiApplication>

// The wait cursor over every window of the tool for as long as it lives: the
// sign that a step running on the windows' thread (reading a large folder or
// picture, connecting to the database) is at work and the window is not
// stuck. Keep it to the step itself, so that a message box shown afterwards
// has the ordinary cursor.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// The ordinary cursor for as long as it lives, inside a step that shows the
// wait cursor: for a question the user must answer half-way.
class WaitCursorLifted {
public:
    WaitCursorLifted() { QGuiApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~WaitCursorLifted() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursorLifted(const WaitCursorLifted&) = delete;
    WaitCursorLifted& operator=(const WaitCursorLifted&) = delete;
};

#pragma once

#include <QScreen>
#include <QWidget>

// Places a window in the centre of its screen's free area, as the tool's
// main window, capture window and message boxes are placed.
inline void CentreOnScreen(QWidget& window)
{
    // The frame counts: a window just as large as the free area must start
    // at its edge, not a frame's width past it.
    if (const QScreen* screen = window.screen())
        window.move(screen->availableGeometry().center() - QRect(QPoint(), window.frameGeometry().size()).center());
}

#pragma once

#include <QScreen>
#include <QWidget>

// Places a window in the centre of its screen's free area, as the tool's
// main window, capture window and message boxes are placed.
inline void CentreOnScreen(QWidget& window)
{
    if (const QScreen* screen = window.screen())
        window.move(screen->availableGeometry().center() - window.rect().center());
}

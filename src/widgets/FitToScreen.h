#pragma once

#include <QSize>

class QScreen;
class QWidget;

// The tool's windows place their controls at fixed positions on a client
// area of fixed size, as designed. On a small screen, or with the large text
// scaling of a high-resolution one (150 %, 200 %), that area can be larger
// than the screen, and the controls at its bottom or right edge (the
// buttons that end a window) could not be reached. Such a window takes what
// the screen has room for, and its controls scroll.

// The client size a window of `design` size takes when its frame adds
// `frame` to it and the screen's free area is `available`: the design size,
// cut to what fits. Where one side is cut, the other takes the width of the
// scroll bar that then appears (`scrollBar`), so that it is not cut too.
QSize FittedClientSize(QSize design, QSize available, QSize frame, int scrollBar);

// Moves the controls of `window` onto a surface of the design size inside a
// scroll area that fills the window, keeping their tab order; the scroll
// bars show only while the window is smaller than its design. Call once,
// after the layout is set up. Returns the surface, the controls' parent now.
QWidget* PutControlsOnScrollingSurface(QWidget& window, QSize design);

// Fixes the window's size to FittedClientSize on `screen` (its own screen
// when null). True when the size changed.
bool FitToScreen(QWidget& window, QSize design, const QScreen* screen = nullptr);

// A window whose size is free (the proof sheet, the file dialogs): `wanted`
// at most, and no more than the free area of its screen holds.
QSize SizeWithinScreen(const QWidget& window, QSize wanted);

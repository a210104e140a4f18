#pragma once

#include <type_traits>

// A window's controls are its own: the `ui` member its layout fills is
// private, and nothing outside the window reaches into it. Tests, which
// drive the real window through its controls as a user would, reach them
// through this door, which a window opens by naming it a friend:
//
//     class TForm1 : public QWidget {
//         friend struct WindowControls<TForm1>;
//         ...
//         Ui::TForm1 ui;
//     };
//
// and a test writes Controls(form).Button5.
template <class Window> struct WindowControls {
    static auto& Of(Window& window) { return window.ui; }
    static const auto& Of(const Window& window) { return window.ui; }
};

template <class Window> auto& Controls(Window& window)
{
    return WindowControls<std::remove_const_t<Window>>::Of(window);
}

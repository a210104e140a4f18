#pragma once

// The controls of a window whose layout is its own business (TFrmGetPic,
// TFrmPhotoDay), for the tests and benchmarks that drive the window as a
// user would: the windows name this struct their friend, and nothing else
// reaches their `ui`.
struct WindowControls {
    template <class Window> static auto& Of(Window& window) { return window.ui; }
};

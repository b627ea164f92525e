// The start-up benchmark's baseline programs share their window: a class of their own, one window
// of the main window's size, and the message loop that runs until it is closed.
#pragma once

#include <windows.h>

namespace lq::bench {

inline LRESULT CALLBACK BaselineProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

// Registers the class `className` and creates its hidden window titled `title`.
inline HWND CreateBaselineWindow(HINSTANCE instance, const wchar_t* className,
                                 const wchar_t* title) {
  WNDCLASSW c{};
  c.lpfnWndProc = &BaselineProcedure;
  c.hInstance = instance;
  c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  c.lpszClassName = className;
  RegisterClassW(&c);
  return CreateWindowExW(0, className, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                         556, 226, nullptr, nullptr, instance, nullptr);
}

// Shows the window and dispatches messages until it is destroyed.
inline void ShowAndRun(HWND window) {
  ShowWindow(window, SW_SHOW);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

}  // namespace lq::bench

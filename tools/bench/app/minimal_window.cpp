// The baseline of the start-up benchmark: a static program that registers a class, creates one
// window of the main window's size, shows it and runs a message loop. With an argument N it first
// creates N push buttons in it (twelve of them visible), as many as the main window has controls.
#include <windows.h>

#include <cwchar>

namespace {

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
  WNDCLASSW c{};
  c.lpfnWndProc = &Procedure;
  c.hInstance = instance;
  c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  c.lpszClassName = L"lq_bench_minimal";
  RegisterClassW(&c);
  HWND window = CreateWindowExW(0, c.lpszClassName, L"minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 556, 226, nullptr, nullptr, instance, nullptr);
  const long controls = std::wcstol(commandLine, nullptr, 10);
  for (long i = 0; i < controls; ++i) {
    const DWORD visible = i < 12 ? WS_VISIBLE : 0;
    CreateWindowExW(0, L"BUTTON", L"金克丝", WS_CHILD | WS_TABSTOP | visible,
                    static_cast<int>(i % 5) * 80, static_cast<int>(i / 5 % 4) * 40, 64, 32, window,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(1000 + i)), instance, nullptr);
  }
  ShowWindow(window, SW_SHOW);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return 0;
}

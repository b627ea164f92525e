// A window of another program for the main-window scenarios: it covers the top left of the screen
// and stays until it is ended.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  WNDCLASSW c{};
  c.lpfnWndProc = &DefWindowProcW;
  c.hInstance = instance;
  c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  c.lpszClassName = L"lq_e2e_cover";
  RegisterClassW(&c);
  HWND window = CreateWindowExW(0, c.lpszClassName, L"cover", WS_POPUP, 0, 0, 1000, 700, nullptr,
                                nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOW);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
  return 0;
}

// The baseline of the start-up benchmark: a static program that registers a class, creates one
// window of the main window's size, shows it and runs a message loop. With an argument N it first
// creates N push buttons in it (twelve of them visible), as many as the main window has controls.
#include <windows.h>

#include <cwchar>

#include "tools/bench/app/bench_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
  HWND window = lq::bench::CreateBaselineWindow(instance, L"lq_bench_minimal", L"minimal");
  const long controls = std::wcstol(commandLine, nullptr, 10);
  for (long i = 0; i < controls; ++i) {
    const DWORD visible = i < 12 ? WS_VISIBLE : 0;
    CreateWindowExW(0, L"BUTTON", L"金克丝", WS_CHILD | WS_TABSTOP | visible,
                    static_cast<int>(i % 5) * 80, static_cast<int>(i / 5 % 4) * 40, 64, 32, window,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(1000 + i)), instance, nullptr);
  }
  lq::bench::ShowAndRun(window);
  return 0;
}

// Finding the message boxes this test program shows, by caption.
#pragma once

#include <windows.h>

#include <string>

namespace lq::test {

// The visible message box (#32770) of this process with that caption, or null.
inline HWND FindOwnMessageBox(const std::wstring& caption) {
  struct Search {
    const std::wstring* caption;
    HWND found = nullptr;
  } search{&caption};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        wchar_t cls[16] = {}, title[128] = {};
        GetClassNameW(w, cls, 16);
        GetWindowTextW(w, title, 128);
        if (pid == GetCurrentProcessId() && std::wstring(cls) == L"#32770" &&
            *s->caption == title && IsWindowVisible(w)) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace lq::test

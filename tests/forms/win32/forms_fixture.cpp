#include "tests/forms/win32/forms_fixture.h"

#include <cstring>

#include "runtime/errors/program_end.h"

namespace lq::test {
namespace {

BOOL WINAPI RecordTray(DWORD message, NOTIFYICONDATAW* data) {
  TrayCalls().push_back({message, data->uID, data->uFlags, data->uCallbackMessage,
                         data->hIcon != nullptr, data->szTip,
                         IsWindowVisible(data->hWnd) != FALSE});
  const char* what = message == NIM_ADD      ? "tray.add"
                     : message == NIM_MODIFY ? "tray.modify"
                     : message == NIM_DELETE ? "tray.delete"
                                             : "tray.other";
  EventLog().push_back({what, 0, 0, 0});
  return TRUE;
}

struct Search {
  const wchar_t* window_class;
  const wchar_t* title;
  HWND found;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  if (std::wcscmp(name, search->window_class) != 0) return TRUE;
  if (search->title && WindowTextOf(hwnd) != search->title) return TRUE;
  search->found = hwnd;
  return FALSE;
}

}  // namespace

std::vector<TrayCall>& TrayCalls() {
  static std::vector<TrayCall> calls;
  return calls;
}

void FormsWin32::SetUp() {
  ResetProgramEndState();
  ResetTestHandlers();
  TrayCalls().clear();
  previous_notifier_ = SetTrayNotifier(&RecordTray);
  StartFormsRuntime(TestWindows());
}

void FormsWin32::TearDown() {
  StopFormsRuntime();
  SetTrayNotifier(previous_notifier_);
  ResetProgramEndState();
}

void FormsWin32::Restart() {
  StopFormsRuntime();
  ResetProgramEndState();
  StartFormsRuntime(TestWindows());
}

HWND WaitForWindow(const wchar_t* windowClass, const wchar_t* title, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    Search search{windowClass, title, nullptr};
    EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (GetTickCount64() > deadline) return nullptr;
    Sleep(20);
  }
}

std::vector<std::string> EventsAmong(std::initializer_list<const char*> names) {
  std::vector<std::string> out;
  for (const Recorded& r : EventLog()) {
    for (const char* n : names) {
      if (r.what == n) out.push_back(r.what);
    }
  }
  return out;
}

std::wstring WindowTextOf(HWND hwnd) {
  wchar_t text[512] = {};
  SendMessageW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
  return text;
}

bool HasStyle(HWND hwnd, LONG_PTR style) {
  return (GetWindowLongPtrW(hwnd, GWL_STYLE) & style) == style;
}

std::vector<std::uint8_t> SmallIconFile() {
  std::vector<std::uint8_t> f;
  auto u16 = [&](unsigned v) {
    f.push_back(v & 0xff);
    f.push_back((v >> 8) & 0xff);
  };
  auto u32 = [&](unsigned v) {
    u16(v & 0xffff);
    u16(v >> 16);
  };
  u16(0);                          // reserved
  u16(1);                          // type: icon
  u16(1);                          // one image
  f.push_back(16);                 // width
  f.push_back(16);                 // height
  f.push_back(0);                  // colours
  f.push_back(0);                  // reserved
  u16(1);                          // planes
  u16(32);                         // bits a pixel
  u32(40 + 16 * 16 * 4 + 16 * 4);  // image bytes: 1128
  u32(22);                         // image offset
  u32(40);                         // BITMAPINFOHEADER
  u32(16);
  u32(32);  // height counts the mask too
  u16(1);
  u16(32);
  for (int i = 0; i < 6; ++i) u32(0);
  for (int i = 0; i < 16 * 16; ++i) u32(0xff3060c0);  // opaque pixels
  for (int i = 0; i < 16; ++i) u32(0);                // AND mask: all shown
  return f;
}

}  // namespace lq::test

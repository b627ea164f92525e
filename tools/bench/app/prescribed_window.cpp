// The second baseline of the start-up benchmark: a static program that takes, before its window
// shows, the steps the program's design puts there, and nothing of the program's own code. It
// initialises OLE, creates a hidden message-only owner window, creates its window with a tab
// control holding the nine page captions, walks a process snapshot to its own entry and takes a
// named mutex, starts the share page's request through WinInet on a thread of its own, then shows
// the window. What LOLQuillet.exe takes beyond this program is its own.
#include <windows.h>
// After windows.h:
#include <commctrl.h>
#include <ole2.h>
#include <tlhelp32.h>
#include <wininet.h>

#include <string>

#include "tools/bench/app/bench_window.h"

namespace {

HWND CreateOwner(HINSTANCE instance) {
  WNDCLASSW c{};
  c.lpfnWndProc = &DefWindowProcW;
  c.hInstance = instance;
  c.lpszClassName = L"lq_bench_prescribed_owner";
  RegisterClassW(&c);
  return CreateWindowExW(0, c.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                         nullptr);
}

void AddTab(HWND window, HINSTANCE instance) {
  HWND tab = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                             552, 248, window, nullptr, instance, nullptr);
  SendMessageW(tab, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  const wchar_t* pages[] = {L"设置",    L"ADC",     L"AP1页",   L"AP2页", L"上单1页",
                            L"上单2页", L"打野1页", L"打野2页", L"中单"};
  int index = 0;
  for (const wchar_t* page : pages) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(page);
    SendMessageW(tab, TCM_INSERTITEMW, index++, reinterpret_cast<LPARAM>(&item));
  }
}

// One GET of the share page, read to its end; nothing listening makes it fail at once.
void RequestSharePage() {
  const std::wstring url = L"" LQ_SHARE_LISTING_ADDRESS;
  wchar_t host[256] = {}, path[1024] = {};
  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = 256;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = 1024;
  if (!InternetCrackUrlW(url.c_str(), 0, 0, &parts)) return;
  HINTERNET session =
      InternetOpenW(L"Mozilla/4.0", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  HINTERNET connection =
      InternetConnectW(session, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  HINTERNET request = HttpOpenRequestW(connection, L"GET", path, L"HTTP/1.1", nullptr, nullptr,
                                       INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
  if (request && HttpSendRequestW(request, nullptr, 0, nullptr, 0)) {
    char buffer[1024];
    DWORD got = 0;
    while (InternetReadFile(request, buffer, sizeof buffer, &got) && got > 0) {
    }
  }
  if (request) InternetCloseHandle(request);
  if (connection) InternetCloseHandle(connection);
  if (session) InternetCloseHandle(session);
}

std::wstring OwnNameFromSnapshot() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return L"";
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  std::wstring name;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) {
      name = entry.szExeFile;
      break;
    }
  }
  CloseHandle(snapshot);
  return name;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  CreateOwner(instance);

  HWND window = lq::bench::CreateBaselineWindow(instance, L"lq_bench_prescribed", L"prescribed");
  AddTab(window, instance);

  HANDLE guard = CreateMutexW(nullptr, TRUE, OwnNameFromSnapshot().c_str());
  if (guard) WaitForSingleObject(guard, 100);
  HANDLE request = CreateThread(
      nullptr, 0, [](void*) -> DWORD { return RequestSharePage(), 0; }, nullptr, 0, nullptr);
  if (request) CloseHandle(request);

  lq::bench::ShowAndRun(window);
  if (guard) CloseHandle(guard);
  OleUninitialize();
  return 0;
}

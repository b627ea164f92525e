// A small window for the driver's own tests: an edit box, buttons that open message boxes, a
// control inside a group box, a tab control with pages, a coloured swatch and the tray callback.
//
//   lq_driver_testapp [--exit-code N] [--hide-on-close]
#include <windows.h>
// windows.h first: the common controls header builds on its types.
#include <commctrl.h>
#include <shellapi.h>

#include <string>

namespace {

constexpr UINT kTrayMessage = 0x8064;
constexpr int kEdit = 0x16000001;
constexpr int kShowButton = 0x16000002;
constexpr int kResult = 0x16000003;
constexpr int kQuestionButton = 0x16000004;
constexpr int kTab = 0x16000010;
constexpr int kPageLabel = 0x16000011;
constexpr int kSecondPageButton = 0x16000012;
constexpr int kSwatch = 0x16000020;
constexpr int kGroup = 0x16000029;
constexpr int kNestedButton = 0x16000030;

int g_exitCode = 0;
bool g_hideOnClose = false;

HWND Control(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w,
             int h, int id) {
  return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

void SetResult(HWND window, const wchar_t* text) { SetDlgItemTextW(window, kResult, text); }

LRESULT CALLBACK SwatchProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    HBRUSH red = CreateSolidBrush(RGB(200, 30, 40));
    HBRUSH blue = CreateSolidBrush(RGB(30, 40, 200));
    FillRect(dc, &r, red);
    RECT corner{30, 30, 50, 50};
    FillRect(dc, &corner, blue);
    DeleteObject(red);
    DeleteObject(blue);
    EndPaint(w, &ps);
    return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

void CreateControls(HWND w) {
  Control(w, L"EDIT", L"初始文字", WS_BORDER | ES_AUTOHSCROLL, 10, 10, 200, 24, kEdit);
  Control(w, L"BUTTON", L"显示", BS_PUSHBUTTON, 220, 10, 80, 24, kShowButton);
  Control(w, L"BUTTON", L"问题", BS_PUSHBUTTON, 310, 10, 80, 24, kQuestionButton);
  Control(w, L"STATIC", L"", 0, 10, 40, 380, 20, kResult);
  HWND group = Control(w, L"BUTTON", L"分组", BS_GROUPBOX, 10, 70, 180, 60, kGroup);
  Control(group, L"BUTTON", L"里面", BS_PUSHBUTTON, 10, 20, 80, 24, kNestedButton);
  HWND tab = Control(w, L"SysTabControl32", L"", WS_CLIPSIBLINGS, 10, 140, 380, 120, kTab);
  const wchar_t* pages[] = {L"第一页", L"第二页", L"第三页"};
  for (int i = 0; i < 3; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(pages[i]);
    SendMessageW(tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  Control(w, L"STATIC", L"page 0", 0, 20, 180, 100, 20, kPageLabel);
  HWND second =
      Control(w, L"BUTTON", L"第二页按钮", BS_PUSHBUTTON, 20, 210, 120, 24, kSecondPageButton);
  ShowWindow(second, SW_HIDE);
  SetWindowPos(second, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  Control(w, L"LqDriverSwatch", L"", 0, 200, 70, 60, 60, kSwatch);
}

// Buttons inside the group box report to the group box; it passes them on to the window.
LRESULT CALLBACK GroupProc(HWND w, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (msg == WM_COMMAND) return SendMessageW(GetParent(w), msg, wp, lp);
  return DefSubclassProc(w, msg, wp, lp);
}

LRESULT CALLBACK WindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      CreateControls(w);
      SetWindowSubclass(GetDlgItem(w, kGroup), GroupProc, 1, 0);
      return 0;
    case WM_COMMAND:
      if (HIWORD(wp) != BN_CLICKED) break;
      switch (GetDlgCtrlID(reinterpret_cast<HWND>(lp))) {
        case kShowButton: {
          wchar_t text[256] = {};
          GetDlgItemTextW(w, kEdit, text, 256);
          if (MessageBoxW(nullptr, text, L"信息：", MB_OK | MB_TASKMODAL) == IDOK) {
            SetResult(w, L"已确认");
          }
          return 0;
        }
        case kQuestionButton:
          SetResult(w,
                    MessageBoxW(nullptr, L"要继续吗？", L"问题", MB_YESNO | MB_TASKMODAL) == IDYES
                        ? L"是"
                        : L"否");
          return 0;
        case kNestedButton:
          SetResult(w, L"nested");
          return 0;
        case kSecondPageButton:
          SetResult(w, L"second page");
          return 0;
      }
      break;
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
      if (hdr->idFrom == static_cast<UINT_PTR>(kTab) && hdr->code == TCN_SELCHANGE) {
        const int page = static_cast<int>(SendMessageW(hdr->hwndFrom, TCM_GETCURSEL, 0, 0));
        SetDlgItemTextW(w, kPageLabel, (L"page " + std::to_wstring(page)).c_str());
        ShowWindow(GetDlgItem(w, kSecondPageButton), page == 1 ? SW_SHOW : SW_HIDE);
      }
      return 0;
    }
    case kTrayMessage:
      if (wp == 100) {
        switch (lp) {
          case WM_LBUTTONUP:
            SetResult(w, L"tray 1");
            break;
          case WM_LBUTTONDBLCLK:
            SetResult(w, L"tray 2");
            break;
          case WM_RBUTTONUP:
          case WM_CONTEXTMENU:
            SetResult(w, L"tray 3");
            break;
        }
      }
      return 0;
    case WM_CLOSE:
      if (g_hideOnClose) {
        ShowWindow(w, SW_HIDE);
        return 0;
      }
      DestroyWindow(w);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(g_exitCode);
      return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; argv && i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--exit-code" && i + 1 < argc) g_exitCode = _wtoi(argv[++i]);
    if (arg == L"--hide-on-close") g_hideOnClose = true;
  }
  LocalFree(argv);

  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSW swatch{};
  swatch.lpfnWndProc = SwatchProc;
  swatch.hInstance = instance;
  swatch.lpszClassName = L"LqDriverSwatch";
  RegisterClassW(&swatch);
  WNDCLASSW cls{};
  cls.lpfnWndProc = WindowProc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = L"LqDriverTestApp";
  RegisterClassW(&cls);
  HWND w = CreateWindowExW(0, cls.lpszClassName, L"驱动测试窗口", WS_OVERLAPPEDWINDOW, 100, 100,
                           420, 320, nullptr, nullptr, instance, nullptr);
  if (!w) return 99;
  ShowWindow(w, SW_SHOW);
  UpdateWindow(w);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return static_cast<int>(m.wParam);
}

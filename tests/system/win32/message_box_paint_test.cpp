// ShowMessageBox's box as the screen shows it: its pixels are read back from the screen while it
// lies wholly inside a window of the GUI thread (where a box at the screen's centre falls over the
// program's windows), both when a worker thread shows it, as an installation does at its end, and
// when the GUI thread shows it itself.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "runtime/system/win32/message_box.h"
#include "tests/system/win32/own_message_box.h"

namespace lq {
namespace {

constexpr COLORREF kHostColour = RGB(0x20, 0x80, 0x20);
constexpr wchar_t kHostClass[] = L"LQPaintCheckHost";
constexpr int kTextId = 0xFFFF;  // the box's text
constexpr DWORD kPaintWaitMs = 5000;

// A window of the calling thread around the screen's centre, larger than any box shown there.
HWND CreateHost() {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = CreateSolidBrush(kHostColour);
    wc.lpszClassName = kHostClass;
    return RegisterClassW(&wc) != 0;
  }();
  if (!registered) return nullptr;
  const int cx = GetSystemMetrics(SM_CXSCREEN) / 2;
  const int cy = GetSystemMetrics(SM_CYSCREEN) / 2;
  HWND host = CreateWindowExW(0, kHostClass, L"宿主", WS_POPUP | WS_VISIBLE, cx - 320, cy - 220,
                              640, 440, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (host) UpdateWindow(host);
  return host;
}

// The screen's pixels in `r` (screen coordinates), as COLORREF values, rows top to bottom.
std::vector<COLORREF> ReadScreen(const RECT& r) {
  const int width = r.right - r.left, height = r.bottom - r.top;
  std::vector<COLORREF> pixels;
  if (width <= 0 || height <= 0) return pixels;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap && bits) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    if (BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY)) {
      GdiFlush();
      const auto* px = static_cast<const DWORD*>(bits);
      for (int i = 0; i < width * height; ++i) {
        const DWORD xrgb = px[i];  // 0x00RRGGBB
        pixels.push_back(RGB((xrgb >> 16) & 0xFF, (xrgb >> 8) & 0xFF, xrgb & 0xFF));
      }
    }
    SelectObject(memory, old);
  }
  if (bitmap) DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

RECT ClientOnScreen(HWND w) {
  RECT r{};
  GetClientRect(w, &r);
  MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 0x70; }

// What the screen shows of the box.
struct BoxLook {
  bool found = false;
  bool on_top = false;
  int client_pixels = 0;
  int face_pixels = 0;  // of the dialog's face
  int host_pixels = 0;  // of the window beneath
  int black_pixels = 0;
  int dark_text_pixels = 0;  // inside the text's rectangle

  bool Painted() const {
    return found && on_top && client_pixels > 0 && host_pixels == 0 &&
           face_pixels * 2 > client_pixels && dark_text_pixels >= 10;
  }
};

std::ostream& operator<<(std::ostream& out, const BoxLook& l) {
  return out << "found " << l.found << ", on top " << l.on_top << ", client pixels "
             << l.client_pixels << ", face " << l.face_pixels << ", host " << l.host_pixels
             << ", black " << l.black_pixels << ", dark in text " << l.dark_text_pixels;
}

BoxLook Look(HWND box) {
  BoxLook look;
  look.found = true;
  const RECT client = ClientOnScreen(box);
  const POINT centre{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
  HWND at = WindowFromPoint(centre);
  look.on_top = at && GetAncestor(at, GA_ROOT) == box;
  // The dialog's face: the button face, or the window colour that newer systems show above the
  // buttons.
  const COLORREF face = GetSysColor(COLOR_BTNFACE), upper = GetSysColor(COLOR_WINDOW);
  for (COLORREF c : ReadScreen(client)) {
    ++look.client_pixels;
    look.face_pixels += c == face || c == upper;
    look.host_pixels += c == kHostColour;
    look.black_pixels += c == RGB(0, 0, 0);
  }
  if (HWND text = GetDlgItem(box, kTextId)) {
    RECT r{};
    GetWindowRect(text, &r);
    for (COLORREF c : ReadScreen(r)) look.dark_text_pixels += Dark(c);
  }
  return look;
}

// On a helper thread: waits for the box titled `caption` to show on the screen, notes how it
// looks (the last look when it never shows painted) and presses its OK button.
std::thread InspectThenPressOk(std::wstring caption, BoxLook* look) {
  return std::thread([caption = std::move(caption), look] {
    const DWORD start = GetTickCount();
    HWND box = nullptr;
    while (GetTickCount() - start < kPaintWaitMs) {
      if (!box) box = test::FindOwnMessageBox(caption);
      if (box) {
        *look = Look(box);
        if (look->Painted()) break;
        // Another program's window may have come over the box: bring the box back to the top
        // without repainting it; it shows its own pixels again only when its thread serves it.
        if (!look->on_top) {
          SetWindowPos(box, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
      }
      Sleep(50);
    }
    if (!box) box = test::FindOwnMessageBox(caption);
    if (box) PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  });
}

void PumpUntil(const std::atomic<bool>& done, DWORD ms) {
  const DWORD start = GetTickCount();
  MSG message;
  while (!done && GetTickCount() - start < ms) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

TEST(MessageBoxOnScreen, AWorkerThreadsBoxIsPaintedOverTheGuiThreadsWindow) {
  HWND host = CreateHost();
  ASSERT_NE(host, nullptr);
  BoxLook look;
  std::thread inspector = InspectThenPressOk(L"绘制测试 工作线程", &look);
  std::atomic<bool> done{false};
  std::atomic<int> answer{-1};
  std::thread worker([&] {
    answer = ShowMessageBox(Text("载入成功"), 0, Text("绘制测试 工作线程"));
    done = true;
  });
  // The GUI thread serves its window meanwhile, as the program's loops do.
  PumpUntil(done, kPaintWaitMs + 5000);
  inspector.join();
  worker.join();
  DestroyWindow(host);
  EXPECT_TRUE(look.Painted()) << look;
  EXPECT_EQ(answer, kButtonOk);
}

TEST(MessageBoxOnScreen, TheGuiThreadsOwnBoxIsPaintedOverItsWindow) {
  HWND host = CreateHost();
  ASSERT_NE(host, nullptr);
  BoxLook look;
  std::thread inspector = InspectThenPressOk(L"绘制测试 界面线程", &look);
  const int answer = ShowMessageBox(Text("请先获取游戏目录。"), 0, Text("绘制测试 界面线程"));
  inspector.join();
  DestroyWindow(host);
  EXPECT_TRUE(look.Painted()) << look;
  EXPECT_EQ(answer, kButtonOk);
}

}  // namespace
}  // namespace lq

// The report box of a real child process: no owner, title "错误", the report text, an error
// icon and a single OK button; dismissing it ends the child with exit code -1.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/errors/child_process.h"

namespace lq {
namespace {

bool CanCreateWindows() {
  HWND probe =
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (!probe) return false;
  DestroyWindow(probe);
  return true;
}

struct BoxSearch {
  DWORD process_id;
  HWND box;
};

HWND FindBoxOf(DWORD processId) {
  BoxSearch search{processId, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<BoxSearch*>(data);
        DWORD owner_process = 0;
        GetWindowThreadProcessId(window, &owner_process);
        wchar_t class_name[16] = {};
        GetClassNameW(window, class_name, 16);
        if (owner_process != s->process_id || std::wstring(class_name) != L"#32770") return TRUE;
        s->box = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.box;
}

// WM_GETTEXT: GetWindowTextW does not read other processes' controls everywhere.
std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  SendMessageW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
  return text;
}

bool Shown(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item && IsWindowVisible(item);
}

TEST(ReportBox, ShowsTheReportAndEndsWithMinusOneWhenDismissed) {
  if (!CanCreateWindows()) GTEST_SKIP() << "no display for windows";
  test::FatalChild child({"box"});
  ASSERT_TRUE(child.started());

  HWND box = nullptr;
  for (int waited = 0; !box && waited < 20000; waited += 20) {
    box = FindBoxOf(child.id());
    if (!box) Sleep(20);
  }
  ASSERT_NE(box, nullptr) << "no message box appeared";

  EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
  EXPECT_EQ(TextOf(box), L"错误");
  EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)),
            L"运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n");
  EXPECT_TRUE(Shown(box, IDOK));
  for (int other : {IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
    EXPECT_FALSE(Shown(box, other)) << other;
  }
  // The icon is a static control that shows an icon.
  bool has_icon = false;
  for (HWND item = GetWindow(box, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT)) {
    if ((GetWindowLongW(item, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) has_icon = true;
  }
  EXPECT_TRUE(has_icon);
  EXPECT_EQ(child.Wait(300), std::nullopt) << "the child ended before its box was dismissed";

  PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  EXPECT_EQ(child.Wait(20000), test::MinusOneExitStatus());
}

}  // namespace
}  // namespace lq

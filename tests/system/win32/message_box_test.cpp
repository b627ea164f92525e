// ShowMessageBox's answers, checked by pressing the box's buttons from a helper thread.
#include "runtime/system/win32/message_box.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "tests/system/win32/own_message_box.h"

namespace lq {
namespace {

struct SeenBox {
  std::wstring caption;
  std::wstring text;
  LONG exStyle = 0;
};

// Waits for the box titled `caption`, notes what it shows and presses button `buttonId`.
std::thread PressWhenShown(std::wstring caption, int buttonId, SeenBox* seen) {
  return std::thread([=] {
    for (int i = 0; i < 1000; ++i) {
      if (HWND box = test::FindOwnMessageBox(caption)) {
        wchar_t text[256] = {};
        GetWindowTextW(GetDlgItem(box, 0xFFFF), text, 256);
        seen->caption = caption;
        seen->text = text;
        seen->exStyle = GetWindowLongW(box, GWL_EXSTYLE);
        PostMessageW(GetDlgItem(box, buttonId), BM_CLICK, 0, 0);
        return;
      }
      Sleep(10);
    }
  });
}

TEST(ShowMessageBox, ButtonsAreNumberedOkToNo) {
  struct Case {
    UINT style;
    int button;
    int expected;
  } cases[] = {
      {MB_OK, IDOK, kButtonOk},
      {MB_OKCANCEL, IDCANCEL, kButtonCancel},
      {MB_ABORTRETRYIGNORE, IDABORT, kButtonAbort},
      {MB_ABORTRETRYIGNORE, IDRETRY, kButtonRetry},
      {MB_ABORTRETRYIGNORE, IDIGNORE, kButtonIgnore},
      {MB_YESNOCANCEL | MB_ICONQUESTION, IDYES, kButtonYes},
      {MB_YESNO, IDNO, kButtonNo},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string caption = "按钮测试 " + std::to_string(n++);
    const std::wstring wideCaption = L"按钮测试 " + std::to_wstring(n - 1);
    SeenBox seen;
    std::thread presser = PressWhenShown(wideCaption, c.button, &seen);
    const int answer = ShowMessageBox(Text("载入成功"), c.style, Text(caption));
    presser.join();
    EXPECT_EQ(answer, c.expected) << "style " << c.style << " button " << c.button;
    EXPECT_EQ(seen.text, L"载入成功");
  }
}

TEST(ShowMessageBox, DefaultCaptionAndAnInvalidParent) {
  SeenBox seen;
  std::thread presser = PressWhenShown(L"信息：", IDOK, &seen);
  const int answer = ShowMessageBox(Text("第二行\r\n内容"), 0, Text(),
                                    reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7fff0)));
  presser.join();
  EXPECT_EQ(answer, kButtonOk);
  EXPECT_EQ(seen.caption, L"信息：");
  EXPECT_EQ(seen.text, L"第二行\r\n内容");
}

TEST(ShowMessageBox, ValuesShowAsText) {
  struct Case {
    Value content;
    const wchar_t* shown;
  } cases[] = {
      {Value(std::int32_t{-42}), L"-42"},
      {Value(true), L"真"},
      {Value(ByteSet::FromString("bytes")), L""},
      {Value("载入"), L"载入"},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::wstring caption = L"值 " + std::to_wstring(n);
    SeenBox seen;
    std::thread presser = PressWhenShown(caption, IDOK, &seen);
    EXPECT_EQ(ShowMessageBox(c.content, 0, Text("值 " + std::to_string(n++))), kButtonOk);
    presser.join();
    EXPECT_EQ(seen.text, c.shown);
  }
}

}  // namespace
}  // namespace lq

// The tray icon and its callbacks, popup menus and the common dialog, driven through real
// window messages.

#include <atomic>
#include <thread>

#include "runtime/forms/unit_properties.h"
#include "runtime/forms/win32/form_window.h"
#include "runtime/forms/win32/window_commands.h"
#include "runtime/forms/win32/windows_ui.h"
#include "runtime/platform/code_pages.h"
#include "tests/forms/win32/forms_fixture.h"

namespace lq::test {
namespace {

std::vector<std::int32_t> TrayArguments() {
  std::vector<std::int32_t> args;
  for (const Recorded& r : EventLog()) {
    if (r.what == "main.tray") args.push_back(r.argument);
  }
  return args;
}

TEST_F(FormsWin32, TrayCallbacksRaiseTheTrayEvent) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  HWND main = WindowHandle(kMainId);
  for (UINT mouse : {WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_CONTEXTMENU, WM_MOUSEMOVE,
                     WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
    SendMessageW(main, kTrayCallbackMessage, kTrayIconId, mouse);
  }
  EXPECT_EQ(TrayArguments(), (std::vector<std::int32_t>{1, 2, 3, 3}));
}

TEST_F(FormsWin32, TrayIconIsAddedModifiedAndDeleted) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  const ByteSet icon(SmallIconFile());
  SetTrayIcon(kMainId, icon, Text(std::string(70, 'x')));
  SetTrayIcon(kMainId, icon, Text("LOLQuillet皮肤修改"));
  SetTrayIcon(kMainId, icon, Text(std::string(61, 'x') + "皮肤"));
  SetTrayIcon(kMainId, ByteSet(), Text("无"));
  SetTrayIcon(kMainId, ByteSet::FromString("no icon here"), Text("无"));  // none shown: nothing

  const auto& calls = TrayCalls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(calls[0].id, kTrayIconId);
  EXPECT_EQ(calls[0].callback, kTrayCallbackMessage);
  EXPECT_EQ(calls[0].flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_TRUE(calls[0].has_icon);
  EXPECT_EQ(calls[0].tip, std::wstring(62, L'x'));
  EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(calls[1].tip, L"LOLQuillet皮肤修改");
  EXPECT_EQ(calls[2].tip, std::wstring(61, L'x'));  // the character would pass byte 62
  EXPECT_EQ(calls[3].message, static_cast<DWORD>(NIM_DELETE));

  // Bytes that hold no icon remove the icon that shows.
  SetTrayIcon(kMainId, icon, Text("有"));
  SetTrayIcon(kMainId, ByteSet::FromString("no icon here"), Text("有"));
  ASSERT_EQ(calls.size(), 6u);
  EXPECT_EQ(calls[4].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(calls[5].message, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(FormsWin32, TrayIconFromAFile) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  wchar_t dir[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, dir);
  const std::wstring path = std::wstring(dir) + L"图标测试.ico";
  const auto bytes = SmallIconFile();
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  SetTrayIconFromFile(kMainId, Text(WideToGbk(path)), Text("文件"));
  SetTrayIconFromFile(kMainId, Text("Z:\\no\\such\\file.ico"), Text("文件"));
  DeleteFileW(path.c_str());
  ASSERT_EQ(TrayCalls().size(), 2u);
  EXPECT_EQ(TrayCalls()[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(TrayCalls()[1].message, static_cast<DWORD>(NIM_DELETE));
}

struct PopupSeen {
  bool found = false;
  RECT rect{};
  int items = 0;
  std::wstring first;
  std::wstring second;
};

// A user who waits for the popup menu, looks at it, and chooses its first item with the keyboard.
std::thread ChooseFirstPopupItem(PopupSeen& seen) {
  return std::thread([&seen] {
    HWND menu = WaitForWindow(L"#32768", nullptr);
    seen.found = menu != nullptr;
    if (menu) {
      GetWindowRect(menu, &seen.rect);
      HMENU handle = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
      seen.items = GetMenuItemCount(handle);
      wchar_t text[32] = {};
      GetMenuStringW(handle, 0, text, 32, MF_BYPOSITION);
      seen.first = text;
      GetMenuStringW(handle, 1, text, 32, MF_BYPOSITION);
      seen.second = text;
    }
    HWND main = WindowHandle(kMainId);
    PostMessageW(main, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(main, WM_KEYDOWN, VK_RETURN, 0);
    if (!menu) PostMessageW(main, WM_KEYDOWN, VK_ESCAPE, 0);
  });
}

TEST_F(FormsWin32, PopupMenuItemRaisesItsSelectedEvent) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  HWND main = WindowHandle(kMainId);
  // The entry is hidden from the menu bar, as the program does; its items still pop up.
  WriteLogicalProperty(kMainId, kMenuEntry, kMenuVisible, false);
  static POINT cursor{};
  Hooks().main_tray = [](std::int32_t action) {
    if (action != kTrayRightButtonUp) return;
    GetCursorPos(&cursor);
    ShowPopupMenu(kMainId, kMenuEntry);
  };
  SetCursorPos(300, 300);
  EventLog().clear();

  PopupSeen seen;
  std::thread user = ChooseFirstPopupItem(seen);
  SendMessageW(main, kTrayCallbackMessage, kTrayIconId, WM_RBUTTONUP);
  user.join();
  ASSERT_TRUE(PumpUntil([] { return !EventsAmong({"menu.show"}).empty(); }));

  EXPECT_TRUE(seen.found);
  EXPECT_EQ(seen.items, 2);
  EXPECT_EQ(seen.first, L"显示");
  EXPECT_EQ(seen.second, L"退出");
  EXPECT_EQ(seen.rect.right, cursor.x - 5);  // right-aligned at the mouse, moved 5 left and up
  EXPECT_EQ(seen.rect.top, cursor.y - 5);
  EXPECT_EQ(EventsAmong({"main.tray", "menu.show", "menu.exit"}),
            (std::vector<std::string>{"main.tray", "menu.show"}));
  for (const Recorded& r : EventLog()) {
    if (r.what == "menu.show") {
      EXPECT_EQ(r.unit, kMenuShow);
    }
  }
}

struct DialogSeen {
  bool found = false;
  int filters = -1;
  int selected = -1;
  bool read_only_box_shown = true;
};

// A user who waits for the file dialog, types a name (or not) and confirms (or cancels).
std::thread AnswerFileDialog(const wchar_t* title, const wchar_t* name, bool confirm,
                             DialogSeen& seen) {
  return std::thread([=, &seen] {
    HWND dialog = WaitForWindow(L"#32770", title);
    seen.found = dialog != nullptr;
    if (!dialog) return;
    // A dialog is shown once its controls are set up.
    for (int i = 0; i < 200 && !IsWindowVisible(dialog); ++i) Sleep(10);
    HWND types = GetDlgItem(dialog, 0x470);  // the file type list
    seen.filters = static_cast<int>(SendMessageW(types, CB_GETCOUNT, 0, 0));
    seen.selected = static_cast<int>(SendMessageW(types, CB_GETCURSEL, 0, 0));
    HWND read_only = GetDlgItem(dialog, 0x410);
    seen.read_only_box_shown = read_only && IsWindowVisible(read_only);
    if (name) {
      for (int id : {0x47c, 0x480}) {
        if (HWND edit = GetDlgItem(dialog, id))
          SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name));
      }
    }
    PostMessageW(dialog, WM_COMMAND, confirm ? IDOK : IDCANCEL, 0);
  });
}

TEST_F(FormsWin32, CommonDialogConfirmedAndCancelled) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"表单测试";
  CreateDirectoryW(folder.c_str(), nullptr);

  WriteTextProperty(kMainId, kPage0Dialog, kDialogTitle, Text("选择游戏程序"));
  WriteTextProperty(kMainId, kPage0Dialog, kDialogFilter, Text("程序|*.exe|全部文件|*.*"));
  WriteIntegerProperty(kMainId, kPage0Dialog, kDialogFilterIndex, 1);
  WriteTextProperty(kMainId, kPage0Dialog, kDialogInitialDir, Text(WideToGbk(folder)));

  DialogSeen seen;
  std::thread user = AnswerFileDialog(L"选择游戏程序", L"皮肤.zip", true, seen);
  const bool confirmed = OpenCommonDialog(kMainId, kPage0Dialog);
  user.join();
  ASSERT_TRUE(seen.found);
  EXPECT_TRUE(confirmed);
  EXPECT_EQ(seen.filters, 2);
  EXPECT_EQ(seen.selected, 1);  // the 0-based index 1 is the second filter
  EXPECT_FALSE(seen.read_only_box_shown);
  const Text chosen = ReadTextProperty(kMainId, kPage0Dialog, kDialogFileName);
  EXPECT_EQ(chosen, Text(WideToGbk(folder + L"\\皮肤.zip")));

  // Cancel: false, and the file name stays.
  DialogSeen cancelled;
  std::thread quitter = AnswerFileDialog(L"选择游戏程序", nullptr, false, cancelled);
  EXPECT_FALSE(OpenCommonDialog(kMainId, kPage0Dialog));
  quitter.join();
  EXPECT_TRUE(cancelled.found);
  EXPECT_EQ(ReadTextProperty(kMainId, kPage0Dialog, kDialogFileName), chosen);

  // The save dialog, with the filter given already terminated.
  WriteIntegerProperty(kMainId, kPage0Dialog, kDialogType, 1);
  WriteTextProperty(kMainId, kPage0Dialog, kDialogFilter, Text("文本|*.txt||"));
  WriteIntegerProperty(kMainId, kPage0Dialog, kDialogFilterIndex, -4);
  DialogSeen saving;
  std::thread saver = AnswerFileDialog(L"选择游戏程序", L"列表.txt", true, saving);
  EXPECT_TRUE(OpenCommonDialog(kMainId, kPage0Dialog));
  saver.join();
  EXPECT_EQ(saving.filters, 1);
  EXPECT_EQ(saving.selected, 0);
  EXPECT_EQ(ReadTextProperty(kMainId, kPage0Dialog, kDialogFileName),
            Text(WideToGbk(folder + L"\\列表.txt")));
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace lq::test

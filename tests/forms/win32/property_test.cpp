// Properties of loaded windows: tab pages, position, clamping, topmost, menus, colours, texts,
// pictures and a write from another thread.

#include <atomic>
#include <thread>
#include <vector>

#include "runtime/forms/centring.h"
#include "runtime/forms/unit_properties.h"
#include "runtime/forms/win32/window_commands.h"
#include "runtime/forms/win32/windows_ui.h"
#include "tests/forms/win32/forms_fixture.h"

namespace lq::test {
namespace {

bool Shown(UnitId unit) { return IsWindowVisible(UnitHandle(kMainId, unit)) != FALSE; }

void ClickTabHeader(int page) {
  HWND tab = UnitHandle(kMainId, kTab);
  RECT item{};
  TabCtrl_GetItemRect(tab, page, &item);
  const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  SendMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(tab, WM_LBUTTONUP, 0, at);
}

TEST_F(FormsWin32, SwitchingTabPagesShowsOnlyTheSelectedPage) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  SetForegroundWindow(WindowHandle(kMainId));
  Pump(50);
  EXPECT_TRUE(Shown(kPage0Button));
  EXPECT_TRUE(Shown(kGroupButton));
  EXPECT_FALSE(Shown(kPage1Button));
  EXPECT_FALSE(Shown(kPage2Pic));
  EXPECT_TRUE(Shown(kOffTabButton));

  ClickTabHeader(1);
  EXPECT_EQ(TabCtrl_GetCurSel(UnitHandle(kMainId, kTab)), 1);
  EXPECT_EQ(ReadIntegerProperty(kMainId, kTab, kTabCurrentPage), 1);
  EXPECT_FALSE(Shown(kPage0Button));
  EXPECT_FALSE(Shown(kPage0Edit));
  EXPECT_FALSE(Shown(kGroupButton));  // its group box went with page 0
  EXPECT_TRUE(Shown(kPage1Button));
  EXPECT_TRUE(Shown(kPage1Label));
  EXPECT_FALSE(Shown(kPage1HiddenButton));  // its visible flag is not set
  EXPECT_TRUE(Shown(kOffTabButton));
  if (GetActiveWindow() == WindowHandle(kMainId)) {
    EXPECT_EQ(GetFocus(), UnitHandle(kMainId, kPage1Button));
  }

  ClickTabHeader(2);
  EXPECT_FALSE(Shown(kPage1Button));
  EXPECT_TRUE(Shown(kPage2Pic));

  // Back to page 0: the edit box has the lowest tab order; disabled, the next one gets the focus.
  WriteLogicalProperty(kMainId, kPage0Edit, kPropDisabled, true);
  ClickTabHeader(0);
  EXPECT_TRUE(Shown(kPage0Button));
  EXPECT_FALSE(Shown(kPage2Pic));
  if (GetActiveWindow() == WindowHandle(kMainId)) {
    EXPECT_EQ(GetFocus(), UnitHandle(kMainId, kPage0Button2));
  }
}

TEST_F(FormsWin32, VisibleOnAnUnselectedPageWaitsForThePage) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  WriteLogicalProperty(kMainId, kPage1HiddenButton, kPropVisible, true);
  EXPECT_FALSE(HasStyle(UnitHandle(kMainId, kPage1HiddenButton), WS_VISIBLE));
  EXPECT_TRUE(ReadLogicalProperty(kMainId, kPage1HiddenButton, kPropVisible));

  WriteIntegerProperty(kMainId, kTab, kTabCurrentPage, 1);  // a write selects the page too
  EXPECT_EQ(TabCtrl_GetCurSel(UnitHandle(kMainId, kTab)), 1);
  EXPECT_TRUE(Shown(kPage1HiddenButton));
  EXPECT_FALSE(Shown(kPage0Button));

  WriteLogicalProperty(kMainId, kPage1HiddenButton, kPropVisible, false);
  EXPECT_FALSE(Shown(kPage1HiddenButton));
  WriteIntegerProperty(kMainId, kTab, kTabCurrentPage, 99);  // clamped to the last page
  EXPECT_EQ(ReadIntegerProperty(kMainId, kTab, kTabCurrentPage), 2);
}

TEST_F(FormsWin32, PositionOnAHiddenWindowIsOnlyStored) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  HWND main = WindowHandle(kMainId);
  EventLog().clear();
  WriteIntegerProperty(kMainId, kOwnUnit, kWindowPosition, 2);
  EXPECT_TRUE(IsIconic(main));
  EXPECT_EQ(ReadIntegerProperty(kMainId, kOwnUnit, kWindowPosition), 2);
  EXPECT_FALSE(EventsAmong({"main.moved"}).empty());  // minimising moves the window

  WriteLogicalProperty(kMainId, kOwnUnit, kPropVisible, false);
  EXPECT_FALSE(IsWindowVisible(main));
  WriteIntegerProperty(kMainId, kOwnUnit, kWindowPosition, 1);
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_TRUE(IsIconic(main));
  EXPECT_EQ(ReadIntegerProperty(kMainId, kOwnUnit, kWindowPosition), 2);  // the actual state

  WriteLogicalProperty(kMainId, kOwnUnit, kPropVisible, true);
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_TRUE(IsIconic(main));  // back as it was when it was hidden

  // On a visible window, centred restores and centres.
  WriteIntegerProperty(kMainId, kOwnUnit, kWindowPosition, 1);
  EXPECT_FALSE(IsIconic(main));
  EXPECT_EQ(ReadIntegerProperty(kMainId, kOwnUnit, kWindowPosition), 0);
  WriteIntegerProperty(kMainId, kOwnUnit, kPropLeft, 7);
  WriteIntegerProperty(kMainId, kOwnUnit, kPropTop, 9);
  RECT r;
  GetWindowRect(main, &r);
  EXPECT_EQ(r.left, 7);
  EXPECT_EQ(r.top, 9);
  WriteIntegerProperty(kMainId, kOwnUnit, kWindowPosition, 1);
  GetWindowRect(main, &r);
  const Point centre =
      CentredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), 400, 330);
  EXPECT_EQ(r.left, centre.x);
  EXPECT_EQ(r.top, centre.y);
}

std::vector<std::int32_t> g_positions_when_moved;

TEST_F(FormsWin32, MinimisingRaisesMovedWithPositionTwo) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  HWND main = WindowHandle(kMainId);
  g_positions_when_moved.clear();
  // The program's handler: a minimised window goes to the tray.
  Hooks().main_moved = [] {
    const std::int32_t position = ReadIntegerProperty(kMainId, kOwnUnit, kWindowPosition);
    g_positions_when_moved.push_back(position);
    if (position == 2) WriteLogicalProperty(kMainId, kOwnUnit, kPropVisible, false);
  };
  SendMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_FALSE(g_positions_when_moved.empty());
  EXPECT_EQ(g_positions_when_moved.back(), 2);
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_TRUE(IsWindow(main));
}

TEST_F(FormsWin32, CoordinatesAreClampedAndTheOtherDimensionKept) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  HWND button = UnitHandle(kMainId, kOffTabButton);
  WriteIntegerProperty(kMainId, kOffTabButton, kPropLeft, -40000);
  EXPECT_EQ(ReadIntegerProperty(kMainId, kOffTabButton, kPropLeft), -32627);
  WriteIntegerProperty(kMainId, kOffTabButton, kPropWidth, -5);
  EXPECT_EQ(ReadIntegerProperty(kMainId, kOffTabButton, kPropWidth), 0);
  EXPECT_EQ(ReadIntegerProperty(kMainId, kOffTabButton, kPropHeight), 24);
  WriteIntegerProperty(kMainId, kOffTabButton, kPropLeft, 12);
  WriteIntegerProperty(kMainId, kOffTabButton, kPropWidth, 80);
  RECT r;
  GetWindowRect(button, &r);
  MapWindowPoints(nullptr, GetParent(button), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 12);
  EXPECT_EQ(r.top, 255);
  EXPECT_EQ(r.right - r.left, 80);
  EXPECT_EQ(r.bottom - r.top, 24);
}

TEST_F(FormsWin32, TakingOneWindowOffTopLeavesTheOthersOnTop) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  ASSERT_TRUE(LoadWindow(kDialogId, 0, false));
  HWND main = WindowHandle(kMainId);
  HWND dialog = WindowHandle(kDialogId);
  const auto topmost = [](HWND h) {
    return (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  };
  WriteLogicalProperty(kDialogId, kOwnUnit, kWindowTopmost, true);
  EXPECT_TRUE(topmost(dialog));
  WriteLogicalProperty(kMainId, kOwnUnit, kWindowTopmost, true);
  WriteLogicalProperty(kMainId, kOwnUnit, kWindowTopmost, false);
  EXPECT_FALSE(topmost(main));
  EXPECT_TRUE(topmost(dialog));
}

TEST_F(FormsWin32, MenuItemWritesRebuildTheMenuBar) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  HWND main = WindowHandle(kMainId);
  WriteLogicalProperty(kMainId, kMenuEntry, kMenuVisible, false);
  HMENU bar = GetMenu(main);
  ASSERT_EQ(GetMenuItemCount(bar), 1);
  wchar_t text[32] = {};
  GetMenuStringW(bar, 0, text, 32, MF_BYPOSITION);
  EXPECT_STREQ(text, L"选项");

  WriteTextProperty(kMainId, kMenuCheck, kMenuCaption, Text("新的"));
  WriteLogicalProperty(kMainId, kMenuCheck, kMenuChecked, false);
  WriteLogicalProperty(kMainId, kMenuCheck, kMenuDisabled, true);
  HMENU options = GetSubMenu(GetMenu(main), 0);
  GetMenuStringW(options, 0, text, 32, MF_BYPOSITION);
  EXPECT_STREQ(text, L"新的");
  const UINT state = GetMenuState(options, 0, MF_BYPOSITION);
  EXPECT_FALSE(state & MF_CHECKED);
  EXPECT_TRUE(state & MF_GRAYED);
  EXPECT_EQ(ReadTextProperty(kMainId, kMenuCheck, kMenuCaption), Text("新的"));

  // Choosing the item raises its event with the item as the source.
  WriteLogicalProperty(kMainId, kMenuCheck, kMenuDisabled, false);
  options = GetSubMenu(GetMenu(main), 0);
  EventLog().clear();
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(GetMenuItemID(options, 0), 0), 0);
  // Another program's window taking the foreground meanwhile adds the window's own deactivated
  // event to the log: only the menu's events count here.
  ASSERT_TRUE(PumpUntil([] { return !EventsAmong({"menu.check"}).empty(); }));
  std::vector<Recorded> menu_events;
  for (const Recorded& r : EventLog()) {
    if (r.what.rfind("menu.", 0) == 0) menu_events.push_back(r);
  }
  EXPECT_EQ(menu_events, (std::vector<Recorded>{{"menu.check", kMainId, kMenuCheck, 0}}));

  WriteLogicalProperty(kMainId, kMenuEntry2, kMenuVisible, false);
  EXPECT_EQ(GetMenu(main), nullptr);  // no visible entry: no menu bar
}

TEST_F(FormsWin32, ColoursAnswerTheControlsColourRequests) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  HWND tab = UnitHandle(kMainId, kTab);
  HWND edit = UnitHandle(kMainId, kPage0Edit);
  HWND label = UnitHandle(kMainId, kPage0Label);
  HDC dc = GetDC(edit);
  // The tab control passes its children's requests on to the window.
  EXPECT_NE(SendMessageW(tab, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(edit)),
            0);
  EXPECT_EQ(GetTextColor(dc), 0xff00ffu);
  EXPECT_EQ(GetBkColor(dc), 0xdbdbdbu);
  SendMessageW(tab, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(label));
  EXPECT_EQ(GetTextColor(dc), 0u);
  EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_BTNFACE));
  WriteColourProperty(kMainId, kPage0Label, kLabelTextColour, 0x0000ff);
  WriteColourProperty(kMainId, kPage0Label, kLabelBackColour, 0x00ff00);
  SendMessageW(tab, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(label));
  EXPECT_EQ(GetTextColor(dc), 0x0000ffu);
  EXPECT_EQ(GetBkColor(dc), 0x00ff00u);
  ReleaseDC(edit, dc);
}

COLORREF PixelOf(HWND hwnd, int x, int y) {
  RedrawWindow(hwnd, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  HDC dc = GetDC(hwnd);
  const COLORREF pixel = GetPixel(dc, x, y);
  ReleaseDC(hwnd, dc);
  return pixel;
}

TEST_F(FormsWin32, GroupBoxesFillTheirInside) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  HWND group = UnitHandle(kMainId, kPage0Group);
  // Away from the frame, the caption and the button inside.
  EXPECT_EQ(PixelOf(group, 300, 50), GetSysColor(COLOR_BTNFACE));
  WriteColourProperty(kMainId, kPage0Group, kGroupBackColour, 0x00ff00);
  EXPECT_EQ(PixelOf(group, 300, 50), RGB(0, 255, 0));
}

TEST_F(FormsWin32, TextsCrossAsUtf16AndComeBackAsGbk) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  WriteTextProperty(kMainId, kOwnUnit, kWindowTitle, Text("LOLQuillet皮肤修改 最新版本：１．２"));
  EXPECT_EQ(WindowTextOf(WindowHandle(kMainId)), L"LOLQuillet皮肤修改 最新版本：１．２");
  EXPECT_EQ(ReadTextProperty(kMainId, kOwnUnit, kWindowTitle),
            Text("LOLQuillet皮肤修改 最新版本：１．２"));

  WriteTextProperty(kMainId, kPage0Edit, kEditContent, Text("C:\\英雄联盟\\Game\\"));
  EXPECT_EQ(WindowTextOf(UnitHandle(kMainId, kPage0Edit)), L"C:\\英雄联盟\\Game\\");
  // What the user types is what a read gives.
  SendMessageW(UnitHandle(kMainId, kPage0Edit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"打野"));
  EXPECT_EQ(ReadTextProperty(kMainId, kPage0Edit, kEditContent), Text("打野"));

  WriteTextProperty(kMainId, kPage1Label, kLabelCaption, Text("第一行\r\n第二行"));
  EXPECT_EQ(WindowTextOf(UnitHandle(kMainId, kPage1Label)), L"第一行\r\n第二行");
  WriteTextProperty(kMainId, kPage0Group, kGroupCaption, Text("组"));
  EXPECT_EQ(WindowTextOf(UnitHandle(kMainId, kPage0Group)), L"组");
}

TEST_F(FormsWin32, ACaptionWrittenOnAnotherThreadReachesTheButton) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  HWND main = WindowHandle(kMainId);
  std::atomic<bool> done{false};
  Text read_back;
  std::thread installer([&] {
    WriteTextProperty(kMainId, kPage0Button, kButtonCaption, Text("正在下载"));
    read_back = ReadTextProperty(kMainId, kPage0Button, kButtonCaption);
    WriteTextProperty(kMainId, kPage0Button, kButtonCaption, Text("正在写入"));
    done = true;
  });
  ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
  installer.join();
  EXPECT_EQ(read_back, Text("正在下载"));
  EXPECT_EQ(WindowTextOf(UnitHandle(kMainId, kPage0Button)), L"正在写入");

  // The installation ends by closing the window from its thread.
  std::thread closer([] { CloseProgramWindow(kMainId); });
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(main); }));  // the posted close arrives
  closer.join();
  EXPECT_TRUE(EventsAmong({"main.close_query", "main.may_close"}).empty());
}

std::vector<std::uint8_t> RedBitmapFile() {
  // A 2 x 2 BMP of 24 bits, all red.
  std::vector<std::uint8_t> f = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0,  0,
                                 2,   0,   0,  0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0,  0, 16, 0,
                                 0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0,  0};
  for (int row = 0; row < 2; ++row) {
    for (int px = 0; px < 2; ++px) f.insert(f.end(), {0x00, 0x00, 0xff});
    f.insert(f.end(), {0, 0});  // row padding
  }
  return f;
}

TEST_F(FormsWin32, PictureBoxesDrawTheirPictureOverTheirBackground) {
  ASSERT_TRUE(LoadWindow(kDialogId, 0, false));
  HWND pic = UnitHandle(kDialogId, kDialogPic);
  const auto bytes = RedBitmapFile();
  WriteBytesProperty(kDialogId, kDialogPic, kPicPicture, ByteSet(bytes));
  WriteColourProperty(kDialogId, kDialogPic, kPicBackColour, 0x00ff00);
  EXPECT_EQ(ReadBytesProperty(kDialogId, kDialogPic, kPicPicture), ByteSet(bytes));
  RedrawWindow(pic, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  HDC dc = GetDC(pic);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 20, 20), RGB(0, 255, 0));
  ReleaseDC(pic, dc);
}

HICON ShownIcon(HWND window, WPARAM which) {
  return reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, which, 0));
}

TEST_F(FormsWin32, AWindowWithoutAnIconOfItsOwnShowsTheApplicationIcon) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  HWND main = WindowHandle(kMainId);
  // The class carries the application icon (the system's, as this test program has none).
  EXPECT_NE(GetClassLongPtrW(main, GCLP_HICON), 0);
  EXPECT_NE(GetClassLongPtrW(main, GCLP_HICONSM), 0);
  EXPECT_EQ(ShownIcon(main, ICON_BIG), nullptr);
  EXPECT_EQ(ShownIcon(main, ICON_SMALL), nullptr);

  WriteBytesProperty(kMainId, kOwnUnit, kWindowIcon, ByteSet(SmallIconFile()));
  EXPECT_NE(ShownIcon(main, ICON_BIG), nullptr);
  EXPECT_NE(ShownIcon(main, ICON_SMALL), nullptr);

  // Emptied, the window's own icon goes and the class's shows again.
  WriteBytesProperty(kMainId, kOwnUnit, kWindowIcon, ByteSet());
  EXPECT_EQ(ShownIcon(main, ICON_BIG), nullptr);
  EXPECT_EQ(ShownIcon(main, ICON_SMALL), nullptr);

  // Data that holds no icon is no icon of its own either.
  WriteBytesProperty(kMainId, kOwnUnit, kWindowIcon, ByteSet(RedBitmapFile()));
  EXPECT_EQ(ShownIcon(main, ICON_BIG), nullptr);
}
}  // namespace
}  // namespace lq::test

// Loading and closing real windows: the order of events, modality, the user's close and the
// program's, destruction, and the window commands' fatal cases.

#include <atomic>
#include <thread>

#include "runtime/forms/centring.h"
#include "runtime/forms/events.h"
#include "runtime/forms/forms_messages.h"
#include "runtime/forms/unit_properties.h"
#include "runtime/forms/win32/window_commands.h"
#include "runtime/forms/win32/windows_ui.h"
#include "tests/forms/win32/forms_fixture.h"
#include "tests/support/report_capture.h"

namespace lq::test {
namespace {

std::atomic<bool> g_visible_at_created{true};
std::atomic<HWND> g_dialog{nullptr};

TEST_F(FormsWin32, LoadRaisesCreatedMovedResizedBeforeShowingCentred) {
  Hooks().main_created = [] { g_visible_at_created = IsWindowVisible(WindowHandle(kMainId)); };
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  HWND main = WindowHandle(kMainId);
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(g_visible_at_created);
  EXPECT_TRUE(IsWindowVisible(main));

  const auto names = EventNames();
  ASSERT_GE(names.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 4),
            (std::vector<std::string>{"main.created", "main.moved", "main.resized", "main.shown"}));
  // The first activation comes before the activation.
  EXPECT_EQ(EventsAmong({"main.first_activated", "main.activated"}).front(),
            "main.first_activated");
  for (const Recorded& r : EventLog()) {
    if (r.what.rfind("main.", 0) == 0) {
      EXPECT_EQ(r.unit, kMainUnit) << r.what;
    }
  }

  RECT r;
  GetWindowRect(main, &r);
  const Point centre =
      CentredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), 400, 330);
  EXPECT_EQ(r.left, centre.x);
  EXPECT_EQ(r.top, centre.y);
  EXPECT_EQ(r.right - r.left, 400);
  EXPECT_EQ(r.bottom - r.top, 330);
  EXPECT_EQ(WindowTextOf(main), L"测试主窗口");
  EXPECT_FALSE(HasStyle(main, WS_MAXIMIZEBOX));
  EXPECT_TRUE(HasStyle(main, WS_MINIMIZEBOX | WS_SYSMENU));
  EXPECT_FALSE(HasStyle(main, WS_THICKFRAME));
}

TEST_F(FormsWin32, ControlsAreRealWindowsNamedByTheirUnitIds) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  HWND tab = UnitHandle(kMainId, kTab);
  HWND group = UnitHandle(kMainId, kPage0Group);
  struct Expect {
    UnitId unit;
    const wchar_t* window_class;
    HWND parent;
  };
  const Expect controls[] = {
      {kTab, WC_TABCONTROLW, WindowHandle(kMainId)},
      {kPage0Label, L"Static", tab},
      {kPage0Edit, L"Edit", tab},
      {kPage0Button, L"Button", tab},
      {kPage0Group, L"Button", tab},
      {kGroupButton, L"Button", group},
      {kPage1Button, L"Button", tab},
      {kPage2Pic, L"LQPicBox", tab},
      {kOffTabButton, L"Button", WindowHandle(kMainId)},
  };
  for (const Expect& e : controls) {
    HWND h = UnitHandle(kMainId, e.unit);
    ASSERT_NE(h, nullptr) << std::hex << e.unit;
    EXPECT_EQ(static_cast<UnitId>(GetDlgCtrlID(h)), e.unit);
    wchar_t name[64] = {};
    GetClassNameW(h, name, 64);
    EXPECT_EQ(_wcsicmp(name, e.window_class), 0) << std::hex << e.unit;
    EXPECT_EQ(GetParent(h), e.parent) << std::hex << e.unit;
  }
  EXPECT_EQ(UnitHandle(kMainId, kPage0Dialog), nullptr);  // no window
  EXPECT_EQ(UnitHandle(kMainId, kMenuShow), nullptr);

  // Texts arrive as UTF-16.
  EXPECT_EQ(WindowTextOf(UnitHandle(kMainId, kPage0Button)), L"自动获取");
  EXPECT_EQ(WindowTextOf(UnitHandle(kMainId, kPage1Label)),
            L"部分皮肤我没测试过，如果出现载入皮肤后游戏崩溃请到设置页修复下。\r\n\r\n");
  EXPECT_EQ(WindowTextOf(group), L"选择功能区");
  // Fonts: the default GUI font unless the template gives one.
  const auto font_of = [](HWND h) {
    return reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0));
  };
  EXPECT_EQ(font_of(UnitHandle(kMainId, kPage0Button)), GetStockObject(DEFAULT_GUI_FONT));
  LOGFONTW lf{};
  ASSERT_NE(font_of(UnitHandle(kMainId, kPage1Label)), nullptr);
  GetObjectW(font_of(UnitHandle(kMainId, kPage1Label)), sizeof lf, &lf);
  EXPECT_EQ(lf.lfHeight, -14);
  // Kind properties as styles.
  HWND edit = UnitHandle(kMainId, kPage0Edit);
  EXPECT_TRUE(HasStyle(edit, ES_READONLY | ES_CENTER | WS_TABSTOP));
  EXPECT_TRUE(GetWindowLongPtrW(UnitHandle(kMainId, kPage2Pic), GWL_EXSTYLE) & WS_EX_STATICEDGE);
  EXPECT_FALSE(HasStyle(UnitHandle(kMainId, kPage0Label), WS_TABSTOP));

  // The menu bar has the visible entries; the hidden item is not in it.
  HMENU bar = GetMenu(WindowHandle(kMainId));
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(GetMenuItemCount(bar), 2);
  HMENU first = GetSubMenu(bar, 0);
  ASSERT_EQ(GetMenuItemCount(first), 2);
  wchar_t text[32] = {};
  GetMenuStringW(first, 1, text, 32, MF_BYPOSITION);
  EXPECT_STREQ(text, L"退出");
  EXPECT_TRUE(GetMenuState(GetSubMenu(bar, 1), 0, MF_BYPOSITION) & MF_CHECKED);
}

TEST_F(FormsWin32, LoadingALoadedWindowOnlyBringsItBack) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  HWND main = WindowHandle(kMainId);
  ShowWindow(main, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(main));
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  EXPECT_EQ(WindowHandle(kMainId), main);
  EXPECT_FALSE(IsIconic(main));
  EXPECT_EQ(EventsAmong({"main.created"}).size(), 1u);
}

TEST_F(FormsWin32, NonModalLoadNeedsALiveParent) {
  EXPECT_FALSE(LoadWindow(kDialogId, kMainId, false));
  EXPECT_EQ(WindowHandle(kDialogId), nullptr);
  EXPECT_TRUE(EventsAmong({"dialog.created"}).empty());
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  ASSERT_TRUE(LoadWindow(kDialogId, kMainId, false));
  EXPECT_EQ(GetWindow(WindowHandle(kDialogId), GW_OWNER), WindowHandle(kMainId));
}

// Runs a modal load of the dialog; a worker closes it as the user would once it shows.
struct ModalRun {
  bool loaded = false;
  bool main_enabled_while_open = true;
  bool dialog_seen = false;
};
ModalRun LoadDialogModally() {
  g_dialog = nullptr;
  Hooks().dialog_created = [] { g_dialog = WindowHandle(kDialogId); };
  HWND main = WindowHandle(kMainId);
  ModalRun run;
  std::thread user([&] {
    const ULONGLONG deadline = GetTickCount64() + 5000;
    while (!(g_dialog.load() && IsWindowVisible(g_dialog.load())) && GetTickCount64() < deadline) {
      Sleep(10);
    }
    run.dialog_seen = g_dialog.load() != nullptr;
    run.main_enabled_while_open = IsWindowEnabled(main) != FALSE;
    PostMessageW(g_dialog.load(), WM_CLOSE, 0, 0);
  });
  run.loaded = LoadWindow(kDialogId, kMainId, true);  // the parent is ignored
  user.join();
  return run;
}

TEST_F(FormsWin32, ModalLoadDisablesTheOtherWindowsUntilItIsDestroyed) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  HWND main = WindowHandle(kMainId);
  EventLog().clear();

  const ModalRun run = LoadDialogModally();
  EXPECT_TRUE(run.loaded);
  EXPECT_TRUE(run.dialog_seen);
  EXPECT_FALSE(run.main_enabled_while_open);
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_EQ(WindowHandle(kDialogId), nullptr);  // the load returned after the destruction
  EXPECT_EQ(GetWindow(g_dialog.load(), GW_OWNER), nullptr);
  EXPECT_EQ(EventsAmong({"dialog.created", "dialog.moved", "dialog.resized", "dialog.destroying"}),
            (std::vector<std::string>{"dialog.created", "dialog.moved", "dialog.resized",
                                      "dialog.destroying"}));

  // A window that was disabled before stays disabled afterwards.
  WriteLogicalProperty(kMainId, kOwnUnit, kPropDisabled, true);
  const ModalRun again = LoadDialogModally();
  EXPECT_TRUE(again.dialog_seen);
  EXPECT_FALSE(IsWindowEnabled(main));
}

TEST_F(FormsWin32, UserCloseAsksCloseQueryThenMayClose) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  HWND main = WindowHandle(kMainId);
  const auto closing = {"main.close_query", "main.may_close", "main.may_close.second",
                        "main.destroying"};

  EventLog().clear();
  MainAnswers().may_close = false;
  SendMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(EventsAmong(closing), (std::vector<std::string>{"main.close_query", "main.may_close"}));
  EXPECT_TRUE(IsWindow(main));

  EventLog().clear();
  MainAnswers().close_query = false;
  SendMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(EventsAmong(closing), (std::vector<std::string>{"main.close_query"}));
  EXPECT_TRUE(IsWindow(main));

  EventLog().clear();
  MainAnswers() = {};
  SendMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(EventsAmong(closing),
            (std::vector<std::string>{"main.close_query", "main.may_close", "main.destroying"}));
  EXPECT_FALSE(IsWindow(main));
  EXPECT_EQ(WindowHandle(kMainId), nullptr);
  EXPECT_FALSE(AnyProgramWindow());
}

TEST_F(FormsWin32, CloseProgramWindowPostsACloseWithoutTheQueries) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  HWND main = WindowHandle(kMainId);
  const auto icon = SmallIconFile();
  SetTrayIcon(kMainId, ByteSet(icon), Text("提示"));
  MainAnswers().close_query = false;
  MainAnswers().may_close = false;
  EventLog().clear();

  CloseProgramWindow(kMainId);
  EXPECT_TRUE(IsWindow(main));  // only posted
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(main); }));
  // Destruction: the event first, then the tray icon goes.
  EXPECT_EQ(EventsAmong({"main.close_query", "main.may_close", "main.destroying", "tray.delete"}),
            (std::vector<std::string>{"main.destroying", "tray.delete"}));
  ASSERT_FALSE(TrayCalls().empty());
  EXPECT_EQ(TrayCalls().back().message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(TrayCalls().back().id, 100u);
}

TEST_F(FormsWin32, LoadingAWindowThatIsBeingClosedFinishesTheCloseFirst) {
  ASSERT_TRUE(LoadWindow(kDialogId, 0, false));
  HWND first = WindowHandle(kDialogId);
  CloseProgramWindow(kDialogId);
  EventLog().clear();
  ASSERT_TRUE(LoadWindow(kDialogId, 0, false));
  EXPECT_FALSE(IsWindow(first));
  EXPECT_NE(WindowHandle(kDialogId), nullptr);
  EXPECT_EQ(EventsAmong({"dialog.destroying", "dialog.created"}),
            (std::vector<std::string>{"dialog.destroying", "dialog.created"}));
  Pump(50);  // the stale posted close finds no window
  EXPECT_NE(WindowHandle(kDialogId), nullptr);
}

TEST_F(FormsWin32, LogOffAsksMayCloseAfterTheDefaultHandling) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  HWND main = WindowHandle(kMainId);
  EventLog().clear();
  MainAnswers().may_close = false;
  EXPECT_EQ(SendMessageW(main, WM_QUERYENDSESSION, 0, 0), FALSE);
  EXPECT_EQ(EventsAmong({"main.close_query", "main.may_close"}),
            (std::vector<std::string>{"main.may_close"}));
  MainAnswers().may_close = true;
  EXPECT_NE(SendMessageW(main, WM_QUERYENDSESSION, 0, 0), FALSE);
  EXPECT_TRUE(IsWindow(main));
}

TEST_F(FormsWin32, ClickingAButtonRaisesClickedThroughItsContainers) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  EventLog().clear();
  SendMessageW(UnitHandle(kMainId, kPage0Button), BM_CLICK, 0, 0);
  SendMessageW(UnitHandle(kMainId, kGroupButton), BM_CLICK, 0, 0);
  SendMessageW(UnitHandle(kMainId, kOffTabButton), BM_CLICK, 0, 0);
  SendMessageW(UnitHandle(kMainId, kPage0Button2), BM_CLICK, 0, 0);  // no binding
  const auto& log = EventLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0], (Recorded{"page0.clicked", kMainId, kPage0Button, 0}));
  EXPECT_EQ(log[1], (Recorded{"group_button.clicked", kMainId, kGroupButton, 0}));
  EXPECT_EQ(log[2], (Recorded{"off_tab.clicked", kMainId, kOffTabButton, 0}));
}

TEST_F(FormsWin32, WindowCommandsOnWhatIsNotLoadedAreFatal) {
  const std::string expected = ReportOf(forms_messages::kNoSuchWindowOrUnit);
  EXPECT_EQ(FatalReportOf([] { CloseProgramWindow(kDialogId); }), expected);
  Restart();
  EXPECT_EQ(FatalReportOf([] { SetTrayIcon(kDialogId, ByteSet(), Text()); }), expected);
  Restart();
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  EXPECT_EQ(FatalReportOf([] { ShowPopupMenu(kMainId, kPage0Button); }), expected);
  Restart();
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  EXPECT_EQ(FatalReportOf([] { OpenCommonDialog(kMainId, kPage0Button); }), expected);
  Restart();
  EXPECT_EQ(FatalReportOf([] { LoadStartupWindow(kUnknownWindowId); }),
            ReportOf(forms_messages::kStartupWindowFailed));
  // The fatal end destroyed what was loaded.
  EXPECT_EQ(WindowHandle(kMainId), nullptr);
}

TEST_F(FormsWin32, StartupWindowAndMessageLoop) {
  LoadStartupWindow(kMainId);
  HWND main = WindowHandle(kMainId);
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_CLOSE, 0, 0);
  RunMessageLoop();  // returns once the last program window is gone
  EXPECT_FALSE(IsWindow(main));
  EXPECT_EQ(EventsAmong({"main.destroying"}).size(), 1u);
}

}  // namespace
}  // namespace lq::test

// What a loaded window holds once LoadWindow returns, whatever loading did first: every control a
// window, in template order among its siblings, with what the created event wrote; the menu bar as
// the menu items stand when the window shows; the tray icon set during loading is added once the
// window shows.
#include <windows.h>

#include <vector>

#include "runtime/forms/forms_registry.h"
#include "runtime/forms/property_table.h"
#include "runtime/forms/unit_properties.h"
#include "runtime/forms/win32/form_window.h"
#include "runtime/forms/win32/window_commands.h"
#include "tests/forms/win32/forms_fixture.h"

namespace lq::test {
namespace {

// The children of `parent` that are controls of the window, in z-order (the order of tab
// navigation).
std::vector<UnitId> ChildUnits(HWND parent, const WindowModel& model) {
  std::vector<UnitId> units;
  for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    const auto id = static_cast<UnitId>(GetDlgCtrlID(h));
    if (model.Find(id)) units.push_back(id);
  }
  return units;
}

std::vector<UnitId> TemplateOrder(const WindowModel& model, UnitId parent) {
  std::vector<UnitId> units;
  for (const UnitState& c : model.Controls()) {
    if (c.parent() == parent && c.kind() != UnitKind::kCommonDlg) units.push_back(c.id());
  }
  return units;
}

TEST_F(FormsWin32, EveryPageHasItsControlsInTemplateOrderOnceLoaded) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  FormWindow* window = LoadedFormWindow(kMainId);
  ASSERT_NE(window, nullptr);
  const WindowModel& model = window->Model();
  HWND tab = UnitHandle(kMainId, kTab);
  // Straight from Windows, without going through the runtime's handle lookup.
  for (UnitId unit : {kPage1Button, kPage1HiddenButton, kPage1Label, kPage2Pic, kGroupButton}) {
    EXPECT_NE(GetDlgItem(unit == kGroupButton ? GetDlgItem(tab, kPage0Group) : tab,
                         static_cast<int>(unit)),
              nullptr)
        << std::hex << unit;
  }
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(tab, static_cast<int>(kPage1Button))));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(tab, static_cast<int>(kPage2Pic))));
  EXPECT_EQ(ChildUnits(tab, model), TemplateOrder(model, kTab));
  EXPECT_EQ(ChildUnits(WindowHandle(kMainId), model), TemplateOrder(model, 0));
}

TEST_F(FormsWin32, ControlsKeepTemplateOrderWhenALaterPageIsSelectedAtLoad) {
  // Page 1 selected from the start: page 0's controls, earlier in the template, come after it.
  WindowRecord* record = FindWindowRecord(kMainId);
  ASSERT_NE(record, nullptr);
  ASSERT_NE(record->stored.Find(kTab), nullptr);
  record->stored.Find(kTab)->Set(kTabCurrentPage, PropertyValue(std::int32_t{1}));
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  const WindowModel& model = LoadedFormWindow(kMainId)->Model();
  HWND tab = UnitHandle(kMainId, kTab);
  EXPECT_EQ(ChildUnits(tab, model), TemplateOrder(model, kTab));
  EXPECT_EQ(ChildUnits(UnitHandle(kMainId, kPage0Group), model), TemplateOrder(model, kPage0Group));
  EXPECT_TRUE(IsWindowVisible(UnitHandle(kMainId, kPage1Button)));
  EXPECT_FALSE(IsWindowVisible(UnitHandle(kMainId, kPage0Button)));
}

TEST_F(FormsWin32, WritesDuringTheCreatedEventReachControlsOfOtherPages) {
  Hooks().main_created = [] {
    WriteTextProperty(kMainId, kPage1Button, kButtonCaption, Text("后来"));
    WriteLogicalProperty(kMainId, kPage1HiddenButton, kPropVisible, true);
    WriteLogicalProperty(kMainId, kPage2Pic, kPropDisabled, true);
    // Read back before any window of page 1 need exist.
    EXPECT_EQ(ReadTextProperty(kMainId, kPage1Button, kButtonCaption), Text("后来"));
  };
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  HWND button = UnitHandle(kMainId, kPage1Button);
  HWND hidden = UnitHandle(kMainId, kPage1HiddenButton);
  EXPECT_EQ(WindowTextOf(button), L"后来");
  EXPECT_FALSE(IsWindowVisible(hidden));  // its page is not selected
  EXPECT_FALSE(IsWindowEnabled(UnitHandle(kMainId, kPage2Pic)));

  WriteIntegerProperty(kMainId, kTab, kTabCurrentPage, 1);
  EXPECT_TRUE(IsWindowVisible(button));
  EXPECT_TRUE(IsWindowVisible(hidden));
}

TEST_F(FormsWin32, SelectingAPageDuringTheCreatedEventShowsItAtOnce) {
  Hooks().main_created = [] { WriteIntegerProperty(kMainId, kTab, kTabCurrentPage, 1); };
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  EXPECT_TRUE(IsWindowVisible(UnitHandle(kMainId, kPage1Button)));
  EXPECT_FALSE(IsWindowVisible(UnitHandle(kMainId, kPage0Button)));
  EXPECT_FALSE(IsWindowVisible(UnitHandle(kMainId, kPage2Pic)));
}

TEST_F(FormsWin32, MenuWritesDuringTheCreatedEventGiveTheBarTheWindowShowsWith) {
  Hooks().main_created = [] {
    WriteLogicalProperty(kMainId, kMenuEntry, kMenuVisible, false);
    WriteTextProperty(kMainId, kMenuEntry2, kMenuCaption, Text("设置"));
  };
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  HWND main = WindowHandle(kMainId);
  HMENU bar = GetMenu(main);
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(GetMenuItemCount(bar), 1);
  wchar_t text[32] = {};
  GetMenuStringW(bar, 0, text, 32, MF_BYPOSITION);
  EXPECT_STREQ(text, L"设置");
  // The bar takes its height from the client area, as if the window had been created with it.
  RECT window{}, client{};
  GetWindowRect(main, &window);
  GetClientRect(main, &client);
  EXPECT_GE(window.bottom - window.top - client.bottom,
            GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU));
  // Setting the bar raised no move or resize of its own: one of each, from the load.
  EXPECT_EQ(EventsAmong({"main.moved"}).size(), 1u);
  EXPECT_EQ(EventsAmong({"main.resized"}).size(), 1u);
}

TEST_F(FormsWin32, HidingEveryMenuEntryWhileLoadingLeavesTheWindowWithoutABar) {
  Hooks().main_created = [] {
    WriteLogicalProperty(kMainId, kMenuEntry, kMenuVisible, false);
    WriteLogicalProperty(kMainId, kMenuEntry2, kMenuVisible, false);
  };
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  EXPECT_EQ(GetMenu(WindowHandle(kMainId)), nullptr);
  // Shown afterwards, an entry brings the bar back at once.
  WriteLogicalProperty(kMainId, kMenuEntry2, kMenuVisible, true);
  EXPECT_EQ(GetMenuItemCount(GetMenu(WindowHandle(kMainId))), 1);
}

TEST_F(FormsWin32, TrayIconSetWhileLoadingIsAddedOnceTheWindowShows) {
  Hooks().main_created = [] {
    SetTrayIcon(kMainId, ByteSet(SmallIconFile()), Text("载入时"));
    EXPECT_TRUE(TrayCalls().empty());  // not while the window is not shown
  };
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  ASSERT_EQ(TrayCalls().size(), 1u);
  EXPECT_EQ(TrayCalls()[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_TRUE(TrayCalls()[0].window_shown);
  EXPECT_TRUE(TrayCalls()[0].has_icon);
  EXPECT_EQ(TrayCalls()[0].tip, L"载入时");

  // Once loaded, a change goes out at once.
  SetTrayIcon(kMainId, ByteSet(SmallIconFile()), Text("之后"));
  ASSERT_EQ(TrayCalls().size(), 2u);
  EXPECT_EQ(TrayCalls()[1].message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(TrayCalls()[1].tip, L"之后");
}

TEST_F(FormsWin32, TrayIconRemovedWhileLoadingIsNeverAdded) {
  Hooks().main_created = [] {
    SetTrayIcon(kMainId, ByteSet(SmallIconFile()), Text("短暂"));
    SetTrayIcon(kMainId, ByteSet(), Text());
  };
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  EXPECT_TRUE(TrayCalls().empty());
}

}  // namespace
}  // namespace lq::test

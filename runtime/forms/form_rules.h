// The window model's rules that need no windowing system: centring, menu-bar contents, popup
// items, tab-page membership and focus, the common dialog's filter and the tray tip.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/forms/window_model.h"

namespace lq {

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend constexpr bool operator==(const Point&, const Point&) = default;
};

// Left and top that centre a window of the given outer size on a screen of the given size:
// ((screen width - width) / 2, (screen height - height) / 2), integer division.
constexpr Point CentredOrigin(std::int32_t screenWidth, std::int32_t screenHeight,
                              std::int32_t width, std::int32_t height) {
  return {(screenWidth - width) / 2, (screenHeight - height) / 2};
}

// One entry of a menu bar with the items under it, all visible, in template order.
struct MenuGroup {
  const UnitState* entry = nullptr;
  std::vector<const UnitState*> items;
};

// The menu bar: the visible level-0 entries, each with its visible level-1 items. Empty when no
// entry is visible (the window then has no menu bar).
std::vector<MenuGroup> MenuBarGroups(const WindowModel& model);

// The visible items under a level-0 entry, whatever the entry's own visibility: a popup menu.
std::vector<const UnitState*> PopupItems(const WindowModel& model, UnitId entry);

// The position of a menu item among the window's menu items, as the command id that stands for
// it in real menus; and back.
inline constexpr std::uint32_t kFirstMenuCommand = 0x4000;
std::uint32_t MenuCommandId(const WindowModel& model, const UnitState& item);
const UnitState* MenuItemByCommand(const WindowModel& model, std::uint32_t command);

// The page a Tab shows.
std::int32_t SelectedPage(const UnitState& tab);
// Whether the unit sits on a page that is not selected (its Tab shows another page).
bool OnHiddenPage(const WindowModel& model, const UnitState& unit);
// Whether the control is to be shown: its visible flag is set and it is not on a hidden page.
bool ShouldShow(const WindowModel& model, const UnitState& unit);
// The controls of one page of a Tab, in template order.
std::vector<const UnitState*> PageControls(const WindowModel& model, UnitId tab, std::int32_t page);
// The control that gets the focus when a page is selected: among the page's controls that are
// shown, enabled and take the focus, the one with the lowest tab order (the first on a tie).
const UnitState* PageFocusControl(const WindowModel& model, UnitId tab, std::int32_t page);

// The common dialog's filter as given ("description|pattern|..."), with "||" appended when it
// does not already end with it. Bars are found character by character (GBK), so a bar byte
// inside a two-byte character is not taken for a separator.
std::string TerminatedFilter(std::string_view gbk);
// Positions of the separating bars in TerminatedFilter's result.
std::vector<std::size_t> FilterBars(std::string_view gbk);
// The dialog's 1-based filter number from the 0-based property (1 when negative).
constexpr std::int32_t DialogFilterNumber(std::int32_t zeroBased) {
  return zeroBased < 0 ? 1 : zeroBased + 1;
}

// The tray tip: the first 62 bytes of the text, without a lone lead byte at the end.
inline constexpr std::size_t kTrayTipBytes = 62;
std::string_view TrayTip(std::string_view gbk);

}  // namespace lq

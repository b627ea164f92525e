// A window's menus as its model holds them: the menu bar's contents, a popup's items and the
// command ids that stand for menu items in real menus.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/forms/window_model.h"

namespace lq {

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

}  // namespace lq

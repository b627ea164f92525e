#include "runtime/forms/menus.h"

namespace lq {

std::vector<MenuGroup> MenuBarGroups(const WindowModel& model) {
  std::vector<MenuGroup> groups;
  bool in_visible_entry = false;
  for (const UnitState& item : model.MenuItems()) {
    if (item.level() == 0) {
      in_visible_entry = item.visible();
      if (in_visible_entry) groups.push_back({&item, {}});
    } else if (in_visible_entry && item.visible()) {
      groups.back().items.push_back(&item);
    }
  }
  return groups;
}

std::vector<const UnitState*> PopupItems(const WindowModel& model, UnitId entry) {
  std::vector<const UnitState*> items;
  bool under = false;
  for (const UnitState& item : model.MenuItems()) {
    if (item.level() == 0) {
      under = item.id() == entry;
    } else if (under && item.visible()) {
      items.push_back(&item);
    }
  }
  return items;
}

std::uint32_t MenuCommandId(const WindowModel& model, const UnitState& item) {
  const auto items = model.MenuItems();
  return kFirstMenuCommand + static_cast<std::uint32_t>(&item - items.data());
}

const UnitState* MenuItemByCommand(const WindowModel& model, std::uint32_t command) {
  const auto items = model.MenuItems();
  if (command < kFirstMenuCommand || command - kFirstMenuCommand >= items.size()) return nullptr;
  return &items[command - kFirstMenuCommand];
}

}  // namespace lq

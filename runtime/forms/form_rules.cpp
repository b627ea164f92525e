#include "runtime/forms/form_rules.h"

#include "runtime/platform/gbk.h"

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

std::int32_t SelectedPage(const UnitState& tab) { return tab.Integer(kTabCurrentPage); }

bool OnHiddenPage(const WindowModel& model, const UnitState& unit) {
  if (unit.parent() == 0) return false;
  const UnitState* parent = model.Find(unit.parent());
  return parent && parent->kind() == UnitKind::kTab && SelectedPage(*parent) != unit.page();
}

bool ShouldShow(const WindowModel& model, const UnitState& unit) {
  return unit.visible() && !OnHiddenPage(model, unit);
}

std::vector<const UnitState*> PageControls(const WindowModel& model, UnitId tab,
                                           std::int32_t page) {
  std::vector<const UnitState*> controls;
  for (const UnitState& c : model.Controls()) {
    if (c.parent() == tab && c.page() == page) controls.push_back(&c);
  }
  return controls;
}

const UnitState* PageFocusControl(const WindowModel& model, UnitId tab, std::int32_t page) {
  const UnitState* best = nullptr;
  for (const UnitState* c : PageControls(model, tab, page)) {
    if (!c->visible() || c->disabled() || !c->takes_focus()) continue;
    if (!best || c->tab_order() < best->tab_order()) best = c;
  }
  return best;
}

std::vector<std::size_t> FilterBars(std::string_view gbk) {
  std::vector<std::size_t> bars;
  const auto* s = reinterpret_cast<const unsigned char*>(gbk.data());
  for (std::size_t i = 0; i < gbk.size(); i += gbk::CharLength(s, i, gbk.size())) {
    if (s[i] == '|') bars.push_back(i);
  }
  return bars;
}

std::string TerminatedFilter(std::string_view gbk) {
  std::string out(gbk);
  const auto bars = FilterBars(gbk);
  const std::size_t n = gbk.size();
  const bool terminated =
      bars.size() >= 2 && bars[bars.size() - 1] == n - 1 && bars[bars.size() - 2] == n - 2;
  if (!terminated) out += "||";
  return out;
}

std::string_view TrayTip(std::string_view gbk) {
  if (gbk.size() <= kTrayTipBytes) return gbk;
  const auto* s = reinterpret_cast<const unsigned char*>(gbk.data());
  std::size_t end = 0;
  while (end < kTrayTipBytes) {
    const std::size_t step = gbk::CharLength(s, end, gbk.size());
    if (end + step > kTrayTipBytes) break;
    end += step;
  }
  return gbk.substr(0, end);
}

}  // namespace lq

#include "runtime/forms/tab_pages.h"

#include "runtime/forms/property_table.h"

namespace lq {

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

}  // namespace lq

// Tab pages: which page a Tab shows, which controls are shown with it and which takes the focus.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/forms/window_model.h"

namespace lq {

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

}  // namespace lq

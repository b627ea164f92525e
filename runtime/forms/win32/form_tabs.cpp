// Tab pages: only the selected page's controls are shown.

#include <algorithm>

#include "runtime/forms/tab_pages.h"
#include "runtime/forms/win32/form_window.h"
#include "runtime/forms/win32/windows_ui.h"

namespace lq {

void FormWindow::SelectPage(UnitState& tab, std::int32_t page) {
  HWND tab_handle = ControlHandle(tab.id());
  const auto pages = static_cast<std::int32_t>(tab.pages().size());
  if (!tab_handle || pages == 0) return;
  page = std::clamp(page, 0, pages - 1);
  tab.Set(kTabCurrentPage, page);
  if (TabCtrl_GetCurSel(tab_handle) != page) TabCtrl_SetCurSel(tab_handle, page);

  // Hide what shows of the other pages, and repaint where it was.
  for (UnitState& c : model_.Controls()) {
    if (c.parent() != tab.id() || c.page() == page) continue;
    HWND h = ControlHandle(c.id());
    if (!h || !(GetWindowLongPtrW(h, GWL_STYLE) & WS_VISIBLE)) continue;
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, tab_handle, reinterpret_cast<POINT*>(&r), 2);
    ShowWindow(h, SW_HIDE);
    InvalidateRect(tab_handle, &r, TRUE);
  }
  for (const UnitState* c : PageControls(model_, tab.id(), page)) {
    if (HWND h = ControlHandle(c->id()); h && c->visible()) ShowWindow(h, SW_SHOW);
  }
  if (const UnitState* focus = PageFocusControl(model_, tab.id(), page)) {
    if (GetActiveWindow() == hwnd_) SetFocus(ControlHandle(focus->id()));
  }
}

}  // namespace lq

// The menu bar and popup menus, built from the window's menu items whenever they change or pop up.

#include <string>
#include <utility>

#include "runtime/forms/menus.h"
#include "runtime/forms/win32/form_window.h"
#include "runtime/forms/win32/windows_ui.h"
#include "runtime/platform/code_pages.h"

namespace lq {
namespace {

UINT ItemFlags(const UnitState& item) {
  UINT flags = MF_STRING;
  if (item.Logical(kMenuChecked)) flags |= MF_CHECKED;
  if (item.Logical(kMenuDisabled)) flags |= MF_GRAYED;
  return flags;
}

void AppendItem(HMENU menu, const WindowModel& model, const UnitState& item) {
  const std::wstring caption = GbkToWide(item.TextAt(kMenuCaption).view());
  AppendMenuW(menu, ItemFlags(item), MenuCommandId(model, item), caption.c_str());
}

UniqueMenu BuildMenuBar(const WindowModel& model) {
  const auto groups = MenuBarGroups(model);
  if (groups.empty()) return {};
  UniqueMenu bar(CreateMenu());
  for (const MenuGroup& group : groups) {
    if (group.items.empty()) {
      AppendItem(bar.get(), model, *group.entry);
      continue;
    }
    HMENU popup = CreatePopupMenu();
    for (const UnitState* item : group.items) AppendItem(popup, model, *item);
    const std::wstring caption = GbkToWide(group.entry->TextAt(kMenuCaption).view());
    UINT flags = MF_POPUP | MF_STRING;
    if (group.entry->Logical(kMenuDisabled)) flags |= MF_GRAYED;
    AppendMenuW(bar.get(), flags, reinterpret_cast<UINT_PTR>(popup), caption.c_str());
  }
  return bar;
}

}  // namespace

void FormWindow::RebuildMenuBar() {
  // Until the window first shows, the bar is built once, just before it shows: a bar set on the
  // hidden window and changed again by its creation events would cost a frame change each time.
  if (hold_menu_bar_) {
    menu_bar_pending_ = true;
    return;
  }
  UniqueMenu bar = BuildMenuBar(model_);
  if (!bar && !menu_bar_) return;  // no bar before and none now: the frame stays as it is
  SetMenu(hwnd_, bar.get());
  menu_bar_ = std::move(bar);  // the previous bar goes once the window no longer shows it
  DrawMenuBar(hwnd_);
}

void FormWindow::ReleaseMenuBar() {
  hold_menu_bar_ = false;
  if (!std::exchange(menu_bar_pending_, false)) return;
  // The bar belongs to the window as created: the client area it takes is no move or resize.
  const bool creating = std::exchange(creating_, true);
  RebuildMenuBar();
  creating_ = creating;
  RememberPlacement();
}

void FormWindow::ShowPopupMenu(const UnitState& entry) {
  UniqueMenu popup(CreatePopupMenu());
  for (const UnitState* item : PopupItems(model_, entry.id()))
    AppendItem(popup.get(), model_, *item);
  SetForegroundWindow(hwnd_);
  POINT at{};
  GetCursorPos(&at);
  // The chosen item's command is posted to the window, which raises the item's event.
  TrackPopupMenu(popup.get(), TPM_RIGHTALIGN | TPM_LEFTBUTTON, at.x - 5, at.y - 5, 0, hwnd_,
                 nullptr);
  PostMessageW(hwnd_, WM_NULL, 0, 0);
}

}  // namespace lq

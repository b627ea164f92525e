// Properties of a loaded window: what a write does to the real window or control, and what a
// read takes from it.

#include <string>

#include "runtime/forms/centring.h"
#include "runtime/forms/tab_pages.h"
#include "runtime/forms/win32/form_styles.h"
#include "runtime/forms/win32/form_window.h"
#include "runtime/forms/win32/windows_ui.h"
#include "runtime/platform/code_pages.h"

namespace lq {
namespace {

Text WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return Text(WideToGbk(text));
}

// The control's rectangle in its parent's client area; the window's on the screen.
RECT ActualRect(HWND hwnd, bool child) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  if (child) MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

PropertyValue GeometryPart(const RECT& r, int index) {
  switch (index) {
    case kPropLeft:
      return PropertyValue(static_cast<std::int32_t>(r.left));
    case kPropTop:
      return PropertyValue(static_cast<std::int32_t>(r.top));
    case kPropWidth:
      return PropertyValue(static_cast<std::int32_t>(r.right - r.left));
    default:
      return PropertyValue(static_cast<std::int32_t>(r.bottom - r.top));
  }
}

bool HasVisibleStyle(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

}  // namespace

PropertyValue FormWindow::ReadProperty(UnitState& unit, int index) {
  const bool is_window = unit.kind() == UnitKind::kWindow;
  HWND h = is_window ? hwnd_ : CreatedHandle(unit.id());
  if (!h || unit.kind() == UnitKind::kMenuItem) return unit.Get(index);
  if (index >= kPropLeft && index <= kPropHeight)
    return GeometryPart(ActualRect(h, !is_window), index);
  if (is_window) {
    if (index == kWindowTitle) return PropertyValue(WindowText(h));
    if (index == kWindowPosition) {
      return PropertyValue(static_cast<std::int32_t>(IsIconic(h) ? 2 : (IsZoomed(h) ? 3 : 0)));
    }
    return unit.Get(index);
  }
  if (index == CaptionIndex(unit.kind())) return PropertyValue(WindowText(h));
  if (unit.kind() == UnitKind::kTab && index == kTabCurrentPage) {
    return PropertyValue(static_cast<std::int32_t>(TabCtrl_GetCurSel(h)));
  }
  return unit.Get(index);
}

void FormWindow::WriteProperty(UnitState& unit, int index, const PropertyValue& value) {
  unit.Set(index, value);
  if (unit.kind() == UnitKind::kMenuItem) {
    RebuildMenuBar();
  } else if (IsCommonProperty(unit.kind(), index)) {
    ApplyCommon(unit, index);
  } else if (unit.kind() == UnitKind::kWindow) {
    ApplyWindowProperty(index);
  } else if (Control* c = FindControl(unit.id())) {
    ApplyControlProperty(*c, index);
  }
}

void FormWindow::ApplyCommon(UnitState& unit, int index) {
  const bool is_window = unit.kind() == UnitKind::kWindow;
  HWND h = is_window ? hwnd_ : CreatedHandle(unit.id());
  if (!h) return;
  switch (index) {
    case kPropLeft:
    case kPropTop:
    case kPropWidth:
    case kPropHeight: {
      // The written part changes; the others stay as the window or control actually is.
      const RECT r = ActualRect(h, !is_window);
      Geometry g{r.left, r.top, r.right - r.left, r.bottom - r.top};
      const std::int32_t v = unit.Integer(index);
      if (index == kPropLeft) g.left = v;
      if (index == kPropTop) g.top = v;
      if (index == kPropWidth) g.width = v;
      if (index == kPropHeight) g.height = v;
      SetWindowPos(h, nullptr, g.left, g.top, g.width, g.height, SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    }
    case kPropVisible:
      if (is_window) {
        ShowWindow(h, unit.visible() ? SW_SHOW : SW_HIDE);
      } else {
        ShowWindow(h, ShouldShow(model_, unit) ? SW_SHOW : SW_HIDE);
      }
      break;
    case kPropDisabled:
      EnableWindow(h, unit.disabled() ? FALSE : TRUE);
      break;
    default:
      break;  // tag and mouse pointer are only kept
  }
}

void FormWindow::ApplyWindowProperty(int index) {
  UnitState& unit = model_.WindowUnit();
  switch (index) {
    case kWindowTitle:
      SetWindowTextW(hwnd_, GbkToWide(unit.TextAt(kWindowTitle).view()).c_str());
      break;
    case kWindowBorder:
    case kWindowControlBox:
    case kWindowMaxButton:
    case kWindowMinButton:
      RestyleWindow();
      break;
    case kWindowBackColour:
      window_brush_.Reset();
      InvalidateRect(hwnd_, nullptr, TRUE);
      break;
    case kWindowPosition:
      ApplyPosition();
      break;
    case kWindowIcon:
      ApplyIcon();
      break;
    case kWindowTopmost:
      ApplyTopmost();
      break;
    default:
      break;
  }
}

void FormWindow::ApplyPosition() {
  // On a hidden window the value is only kept.
  if (!HasVisibleStyle(hwnd_)) return;
  switch (model_.WindowUnit().Integer(kWindowPosition)) {
    case 0:
      ShowWindow(hwnd_, SW_SHOWNORMAL);
      break;
    case 1: {
      if (IsIconic(hwnd_) || IsZoomed(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
      RECT r;
      GetWindowRect(hwnd_, &r);
      const Point at = CentredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                     r.right - r.left, r.bottom - r.top);
      if (r.left != at.x || r.top != at.y) {
        SetWindowPos(hwnd_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      break;
    }
    case 2:
      ShowWindow(hwnd_, SW_MINIMIZE);
      break;
    case 3:
      ShowWindow(hwnd_, SW_MAXIMIZE);
      break;
    default:
      break;
  }
}

void FormWindow::ApplyTopmost() {
  const bool on = model_.WindowUnit().Logical(kWindowTopmost);
  constexpr UINT kKeep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  SetWindowPos(hwnd_, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, kKeep);
  if (on) return;
  // Taking one window out of the topmost band must not take the others with it.
  for (FormWindow* other : LoadedFormWindows()) {
    if (other == this || !other->model_.WindowUnit().Logical(kWindowTopmost)) continue;
    if (!HasVisibleStyle(other->hwnd_) || IsIconic(other->hwnd_)) continue;
    SetWindowPos(other->hwnd_, HWND_TOPMOST, 0, 0, 0, 0, kKeep);
  }
}

void FormWindow::ApplyIcon() {
  const ByteSet& bytes = model_.WindowUnit().BytesAt(kWindowIcon);
  UniqueIcon big;
  UniqueIcon small;
  if (!bytes.empty()) {
    big = pictures::CreateIconFromFileBytes(bytes.bytes(), 32);
    small = pictures::CreateSmallIconFromFileBytes(bytes.bytes());
  }
  // Without an icon of its own the window shows its class's icon, the program's application icon:
  // nothing to send unless an icon of its own is to go.
  if (big || small || big_icon_ || small_icon_) {
    HICON big_shown = big ? big.get() : small.get();
    HICON small_shown = small ? small.get() : big.get();
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_shown));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_shown));
  }
  big_icon_ = std::move(big);
  small_icon_ = std::move(small);
}

void FormWindow::RestyleWindow() {
  const Styles s = WindowStyles(model_.WindowUnit());
  const LONG_PTR keep =
      GetWindowLongPtrW(hwnd_, GWL_STYLE) & (WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE);
  const LONG_PTR keep_ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & WS_EX_TOPMOST;
  SetWindowLongPtrW(hwnd_, GWL_STYLE, static_cast<LONG_PTR>(s.style) | keep);
  SetWindowLongPtrW(
      hwnd_, GWL_EXSTYLE,
      (static_cast<LONG_PTR>(s.ex_style) & ~static_cast<LONG_PTR>(WS_EX_TOPMOST)) | keep_ex);
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace lq

#include "runtime/forms/win32/form_styles.h"

#include "runtime/forms/win32/windows_ui.h"

namespace lq {

bool ResizableBorder(std::int32_t border) { return border == 1 || border == 3 || border == 5; }

Styles WindowStyles(const UnitState& window) {
  Styles s;
  const std::int32_t border = window.Integer(kWindowBorder);
  switch (border) {
    case 0:
      s.style = WS_POPUP;
      break;
    case 1:
      s.style = WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME;
      break;
    case 3:
      s.style = WS_CAPTION | WS_THICKFRAME;
      s.ex_style = WS_EX_TOOLWINDOW;
      break;
    case 4:
      s.style = WS_CAPTION;
      s.ex_style = WS_EX_TOOLWINDOW;
      break;
    case 5:
      s.style = WS_CAPTION | WS_THICKFRAME;
      s.ex_style = WS_EX_CLIENTEDGE;
      break;
    case 6:
      s.style = WS_CAPTION;
      s.ex_style = WS_EX_CLIENTEDGE;
      break;
    default:
      s.style = WS_OVERLAPPED | WS_CAPTION;
      break;  // 2, fixed single frame
  }
  if (border != 0 && window.Logical(kWindowControlBox)) {
    s.style |= WS_SYSMENU;
    if (window.Logical(kWindowMinButton)) s.style |= WS_MINIMIZEBOX;
    if (window.Logical(kWindowMaxButton)) s.style |= WS_MAXIMIZEBOX;
  }
  s.style |= WS_CLIPCHILDREN;
  if (window.Logical(kWindowTopmost)) s.ex_style |= WS_EX_TOPMOST;
  return s;
}

int ShowCommandAtLoad(const UnitState& window) {
  switch (window.Integer(kWindowPosition)) {
    case 2:
      return SW_SHOWMINIMIZED;
    case 3:
      return ResizableBorder(window.Integer(kWindowBorder)) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    default:
      return SW_SHOWNORMAL;
  }
}

const wchar_t* ControlClass(UnitKind kind) {
  switch (kind) {
    case UnitKind::kEditBox:
      return L"EDIT";
    case UnitKind::kPicBox:
      return kPicBoxClass;
    case UnitKind::kLabel:
      return L"STATIC";
    case UnitKind::kGroupBox:
    case UnitKind::kButton:
      return L"BUTTON";
    case UnitKind::kTab:
      return WC_TABCONTROLW;
    default:
      return nullptr;
  }
}

namespace {

void AddBorder(Styles& s, std::int32_t pick) {
  switch (pick) {
    case 1:
      s.ex_style |= WS_EX_CLIENTEDGE;
      break;
    case 2:
      s.ex_style |= WS_EX_DLGMODALFRAME;
      break;
    case 3:
      s.ex_style |= WS_EX_STATICEDGE;
      break;
    case 4:
      s.ex_style |= WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME;
      break;
    case 5:
      s.style |= WS_BORDER;
      break;
    default:
      break;
  }
}

DWORD EditStyle(const UnitState& u) {
  DWORD style = ES_AUTOHSCROLL;
  switch (u.Integer(kEditAlignment)) {
    case 1:
      style |= ES_CENTER;
      break;
    case 2:
      style |= ES_RIGHT;
      break;
    default:
      break;
  }
  switch (u.Integer(kEditInputMode)) {
    case 1:
      style |= ES_READONLY;
      break;
    case 2:
      style |= ES_PASSWORD;
      break;
    case 3:
      style |= ES_NUMBER;
      break;
    default:
      break;
  }
  switch (u.Integer(kEditCase)) {
    case 1:
      style |= ES_LOWERCASE;
      break;
    case 2:
      style |= ES_UPPERCASE;
      break;
    default:
      break;
  }
  if (u.Logical(kEditMultiLine)) {
    style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
    const std::int32_t bars = u.Integer(kEditScrollBars);
    if (bars & 1) style |= WS_HSCROLL;
    if (bars & 2) style |= WS_VSCROLL;
  }
  if (!u.Logical(kEditHideSelection)) style |= ES_NOHIDESEL;
  return style;
}

DWORD LabelStyle(const UnitState& u) {
  DWORD style = SS_NOTIFY;
  switch (u.Integer(kLabelAlignment)) {
    case 1:
      style |= SS_CENTER;
      break;
    case 2:
      style |= SS_RIGHT;
      break;
    default:
      style |= u.Logical(kLabelWordWrap) ? SS_LEFT : SS_LEFTNOWORDWRAP;
      break;
  }
  if (u.Integer(kLabelVerticalAlignment) == 1) style |= SS_CENTERIMAGE;
  return style;
}

DWORD ButtonStyle(const UnitState& u) {
  DWORD style = u.Integer(kButtonType) == 1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  const DWORD horizontal[] = {BS_LEFT, BS_CENTER, BS_RIGHT};
  const DWORD vertical[] = {BS_TOP, BS_VCENTER, BS_BOTTOM};
  style |= horizontal[u.Integer(kButtonAlignment)] | vertical[u.Integer(kButtonVerticalAlignment)];
  return style | BS_MULTILINE;
}

}  // namespace

Styles ControlStyles(const UnitState& unit, bool show) {
  Styles s;
  s.style = WS_CHILD | WS_CLIPSIBLINGS;
  switch (unit.kind()) {
    case UnitKind::kEditBox:
      s.style |= EditStyle(unit);
      AddBorder(s, unit.Integer(kEditBorder));
      break;
    case UnitKind::kPicBox:
      AddBorder(s, unit.Integer(kPicBorder));
      break;
    case UnitKind::kLabel:
      s.style |= LabelStyle(unit);
      AddBorder(s, unit.Integer(kLabelBorder));
      break;
    case UnitKind::kGroupBox:
      s.style |= BS_GROUPBOX | WS_CLIPCHILDREN;
      s.ex_style |= WS_EX_CONTROLPARENT;
      break;
    case UnitKind::kButton:
      s.style |= ButtonStyle(unit);
      break;
    case UnitKind::kTab:
      s.style |= WS_CLIPCHILDREN;
      if (unit.Logical(kTabMultiLine)) s.style |= TCS_MULTILINE;
      s.ex_style |= WS_EX_CONTROLPARENT;
      break;
    default:
      break;
  }
  if (unit.takes_focus()) s.style |= WS_TABSTOP;
  if (unit.disabled()) s.style |= WS_DISABLED;
  if (show) s.style |= WS_VISIBLE;
  return s;
}

COLORREF ToColorRef(std::uint32_t colour) {
  if (colour == kSystemButtonFace) return GetSysColor(COLOR_BTNFACE);
  return static_cast<COLORREF>(colour & 0x00ffffff);
}

}  // namespace lq

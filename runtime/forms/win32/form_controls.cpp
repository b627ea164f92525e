// Creating a window's controls from their unit state, and what each kind's own properties do.

#include <algorithm>
#include <set>
#include <string>
#include <utility>

#include "runtime/forms/forms_messages.h"
#include "runtime/forms/tab_pages.h"
#include "runtime/forms/win32/form_styles.h"
#include "runtime/forms/win32/form_window.h"
#include "runtime/forms/win32/windows_ui.h"
#include "runtime/platform/code_pages.h"

namespace lq {
namespace {

constexpr UINT_PTR kTabSubclass = 1;
constexpr UINT_PTR kGroupSubclass = 2;

// Group boxes and the tab control hold controls, but their children's notifications and colour
// requests belong to the window: they are passed on to it. A group box also fills its own inside
// with its background colour: its parent does not paint under it.
LRESULT CALLBACK ForwardToForm(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR form) {
  switch (message) {
    case WM_ERASEBKGND:
      if (id == kGroupSubclass) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        auto brush =
            reinterpret_cast<HBRUSH>(SendMessageW(reinterpret_cast<HWND>(form), WM_CTLCOLORSTATIC,
                                                  wParam, reinterpret_cast<LPARAM>(hwnd)));
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
        return 1;
      }
      return DefSubclassProc(hwnd, message, wParam, lParam);
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return SendMessageW(reinterpret_cast<HWND>(form), message, wParam, lParam);
    default:
      return DefSubclassProc(hwnd, message, wParam, lParam);
  }
}

LOGFONTW ToLogFont(const FontSpec& f) {
  LOGFONTW lf{};
  lf.lfHeight = f.height;
  lf.lfWidth = f.width;
  lf.lfEscapement = f.escapement;
  lf.lfOrientation = f.orientation;
  lf.lfWeight = f.weight;
  lf.lfItalic = f.italic;
  lf.lfUnderline = f.underline;
  lf.lfStrikeOut = f.strike_out;
  lf.lfCharSet = f.char_set;
  lf.lfOutPrecision = f.out_precision;
  lf.lfClipPrecision = f.clip_precision;
  lf.lfQuality = f.quality;
  lf.lfPitchAndFamily = f.pitch_and_family;
  const std::wstring face = GbkToWide(f.FaceName());
  face.copy(lf.lfFaceName, LF_FACESIZE - 1);
  return lf;
}

std::wstring InitialText(const UnitState& unit) {
  const int index = CaptionIndex(unit.kind());
  return index < 0 ? std::wstring() : GbkToWide(unit.TextAt(index).view());
}

}  // namespace

FormWindow::Control* FormWindow::FindControl(UnitId unit) {
  auto it = controls_.find(unit);
  return it == controls_.end() ? nullptr : &it->second;
}

HWND FormWindow::CreatedHandle(UnitId unit) const {
  auto it = controls_.find(unit);
  return it == controls_.end() ? nullptr : it->second.hwnd;
}

HWND FormWindow::ControlHandle(UnitId unit) {
  if (!deferred_.empty() && !CreatedHandle(unit)) CreateDeferredControls();
  return CreatedHandle(unit);
}

UnitState* FormWindow::UnitOfHandle(HWND control) {
  if (!control) return nullptr;
  Control* c = FindControl(static_cast<UnitId>(GetDlgCtrlID(control)));
  return c && c->hwnd == control ? c->unit : nullptr;
}

void FormWindow::CreateControls() {
  // Most of a window with tab pages lies on the pages not selected; creating those controls costs
  // far more than the rest of loading, so they wait until the window shows.
  std::set<UnitId> later;
  for (UnitState& unit : model_.Controls()) {
    if (OnHiddenPage(model_, unit) || later.count(unit.parent()) != 0) {
      later.insert(unit.id());
      deferred_.push_back(unit.id());
      controls_[unit.id()].unit = &unit;
      continue;
    }
    CreateControl(unit);
  }
}

void FormWindow::CreateDeferredControls() {
  if (deferred_.empty()) return;
  const std::vector<UnitId> ids = std::exchange(deferred_, {});
  // Creating a control may notify the window, and an event handler may destroy it.
  const auto alive = alive_;
  for (UnitId id : ids) {
    if (!*alive) return;
    if (UnitState* unit = model_.Find(id)) {
      CreateControl(*unit);
      PlaceAmongSiblings(*unit);
    }
  }
}

void FormWindow::PlaceAmongSiblings(const UnitState& unit) {
  const HWND self = CreatedHandle(unit.id());
  if (!self) return;
  // The nearest earlier sibling in template order that has a window.
  HWND before = nullptr;
  for (const UnitState& other : model_.Controls()) {
    if (other.id() == unit.id()) break;
    if (other.parent() != unit.parent()) continue;
    if (HWND h = CreatedHandle(other.id())) before = h;
  }
  const HWND wanted =
      before ? GetWindow(before, GW_HWNDNEXT) : GetWindow(GetParent(self), GW_CHILD);
  if (wanted == self) return;
  SetWindowPos(self, before ? before : HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void FormWindow::CreateControl(UnitState& unit) {
  Control& c = controls_[unit.id()];
  c.unit = &unit;
  const wchar_t* window_class = ControlClass(unit.kind());
  if (!window_class) return;  // the common dialog is no window

  HWND parent = unit.parent() == 0 ? hwnd_ : CreatedHandle(unit.parent());
  const Geometry g = unit.geometry();
  const Styles s = ControlStyles(unit, ShouldShow(model_, unit));
  const std::wstring text = InitialText(unit);
  c.hwnd =
      CreateWindowExW(s.ex_style, window_class, text.c_str(), s.style, g.left, g.top, g.width,
                      g.height, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(unit.id())),
                      GetModuleHandleW(nullptr), nullptr);
  // A control that cannot be created means its kind's support is missing.
  if (!c.hwnd) FormsFatal(forms_messages::kKindUnavailable);
  ApplyFont(c);

  switch (unit.kind()) {
    case UnitKind::kEditBox:
      if (const int limit = unit.Integer(kEditMaxLength); limit > 0) {
        SendMessageW(c.hwnd, EM_SETLIMITTEXT, static_cast<WPARAM>(limit), 0);
      }
      ApplyControlProperty(c, kEditPasswordChar);
      break;
    case UnitKind::kPicBox:
      c.picture = std::make_unique<pictures::PictureBoxRenderer>(c.hwnd);
      SetWindowLongPtrW(c.hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(c.picture.get()));
      c.picture->SetBackground(unit.Colour(kPicBackColour));
      c.picture->SetDisplayMode(unit.Integer(kPicDisplayMode));
      c.picture->SetAnimate(unit.Logical(kPicAnimate));
      c.picture->SetPicture(unit.BytesAt(kPicPicture));
      break;
    case UnitKind::kGroupBox:
      SetWindowSubclass(c.hwnd, &ForwardToForm, kGroupSubclass, reinterpret_cast<DWORD_PTR>(hwnd_));
      break;
    case UnitKind::kTab: {
      const auto pages = unit.pages();
      for (std::size_t i = 0; i < pages.size(); ++i) {
        std::wstring caption = GbkToWide(pages[i]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        SendMessageW(c.hwnd, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
      }
      const std::int32_t page =
          std::clamp(unit.Integer(kTabCurrentPage), 0, static_cast<std::int32_t>(pages.size()) - 1);
      unit.Set(kTabCurrentPage, page);
      TabCtrl_SetCurSel(c.hwnd, page);
      // Subclassed once its pages are in: every message through a subclass costs a lookup, and
      // filling the pages notifies nobody.
      SetWindowSubclass(c.hwnd, &ForwardToForm, kTabSubclass, reinterpret_cast<DWORD_PTR>(hwnd_));
      break;
    }
    default:
      break;
  }
}

void FormWindow::ApplyFont(Control& c) {
  const int index = FontIndex(c.unit->kind());
  const FontSpec font = index >= 0 ? c.unit->FontAt(index) : FontSpec();
  UniqueFont made;
  if (!font.IsDefault()) {
    const LOGFONTW lf = ToLogFont(font);
    made.Reset(CreateFontIndirectW(&lf));
  }
  HFONT use = made ? made.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  // No redraw here: a new control has not been painted yet, and a changed font is followed by an
  // invalidation of its own.
  SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(use), FALSE);
  c.font = std::move(made);  // the previous font goes once the control no longer uses it
}

HBRUSH FormWindow::BackBrush(Control& c) {
  if (!c.back_brush) {
    c.back_brush.Reset(
        CreateSolidBrush(ToColorRef(c.unit->Colour(BackColourIndex(c.unit->kind())))));
  }
  return c.back_brush.get();
}

void FormWindow::RestyleControl(Control& c) {
  const bool shown = (GetWindowLongPtrW(c.hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
  const Styles s = ControlStyles(*c.unit, shown);
  SetWindowLongPtrW(c.hwnd, GWL_STYLE, static_cast<LONG_PTR>(s.style));
  SetWindowLongPtrW(c.hwnd, GWL_EXSTYLE, static_cast<LONG_PTR>(s.ex_style));
  SetWindowPos(c.hwnd, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  InvalidateRect(c.hwnd, nullptr, TRUE);
}

void FormWindow::ApplyControlProperty(Control& c, int index) {
  UnitState& u = *c.unit;
  if (!c.hwnd) return;  // the common dialog: its properties are read when it is opened
  if (index == CaptionIndex(u.kind())) {
    SetWindowTextW(c.hwnd, GbkToWide(u.TextAt(index).view()).c_str());
    return;
  }
  if (index == FontIndex(u.kind())) {
    ApplyFont(c);
    InvalidateRect(c.hwnd, nullptr, TRUE);
    return;
  }
  if (index == TextColourIndex(u.kind()) || index == BackColourIndex(u.kind())) {
    c.back_brush.Reset();
    if (c.picture) c.picture->SetBackground(u.Colour(kPicBackColour));
    InvalidateRect(c.hwnd, nullptr, TRUE);
    return;
  }
  switch (u.kind()) {
    case UnitKind::kEditBox:
      switch (index) {
        case kEditInputMode:
          SendMessageW(c.hwnd, EM_SETREADONLY, u.Integer(kEditInputMode) == 1, 0);
          ApplyControlProperty(c, kEditPasswordChar);
          RestyleControl(c);
          break;
        case kEditPasswordChar: {
          const std::wstring ch = GbkToWide(u.TextAt(kEditPasswordChar).view());
          const WPARAM mask = u.Integer(kEditInputMode) == 2 ? (ch.empty() ? L'*' : ch[0]) : 0;
          SendMessageW(c.hwnd, EM_SETPASSWORDCHAR, mask, 0);
          InvalidateRect(c.hwnd, nullptr, TRUE);
          break;
        }
        case kEditMaxLength:
          SendMessageW(c.hwnd, EM_SETLIMITTEXT, static_cast<WPARAM>(std::max(0, u.Integer(index))),
                       0);
          break;
        case kEditBorder:
        case kEditHideSelection:
        case kEditMultiLine:
        case kEditScrollBars:
        case kEditAlignment:
        case kEditCase:
          RestyleControl(c);
          break;
        default:
          break;
      }
      break;
    case UnitKind::kPicBox:
      switch (index) {
        case kPicBorder:
          RestyleControl(c);
          break;
        case kPicPicture:
          c.picture->SetPicture(u.BytesAt(kPicPicture));
          break;
        case kPicDisplayMode:
          c.picture->SetDisplayMode(u.Integer(kPicDisplayMode));
          break;
        case kPicAnimate:
          c.picture->SetAnimate(u.Logical(kPicAnimate));
          break;
        default:
          break;
      }
      break;
    case UnitKind::kLabel:
      if (index == kLabelBorder || index == kLabelAlignment || index == kLabelVerticalAlignment ||
          index == kLabelWordWrap) {
        RestyleControl(c);
      }
      break;
    case UnitKind::kButton:
      if (index == kButtonType) {
        SendMessageW(c.hwnd, BM_SETSTYLE,
                     u.Integer(kButtonType) == 1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
        RestyleControl(c);
      } else if (index == kButtonAlignment || index == kButtonVerticalAlignment) {
        RestyleControl(c);
      }
      break;
    case UnitKind::kTab:
      if (index == kTabCurrentPage) {
        SelectPage(u, u.Integer(kTabCurrentPage));
      } else if (index == kTabMultiLine) {
        RestyleControl(c);
      }
      break;
    default:
      break;
  }
}

}  // namespace lq

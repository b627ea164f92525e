#include "runtime/forms/win32/form_window.h"

#include "runtime/forms/centring.h"
#include "runtime/forms/events.h"
#include "runtime/forms/menus.h"
#include "runtime/forms/tray_tip.h"
#include "runtime/forms/win32/form_styles.h"
#include "runtime/forms/win32/forms_runtime.h"
#include "runtime/forms/win32/windows_ui.h"
#include "runtime/platform/code_pages.h"

namespace lq {
namespace {

LRESULT CALLBACK PicBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* renderer =
      reinterpret_cast<pictures::PictureBoxRenderer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT client;
      GetClientRect(hwnd, &client);
      if (renderer) {
        renderer->Paint(dc, client);
      } else {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

// The program's icon at the given system size; the system's application icon when the program
// file has none. Shared icons: the system keeps them for the life of the process.
HICON ApplicationIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
  const int width = GetSystemMetrics(widthMetric);
  const int height = GetSystemMetrics(heightMetric);
  if (HANDLE own =
          LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, width, height, LR_SHARED)) {
    return static_cast<HICON>(own);
  }
  return static_cast<HICON>(
      LoadImageW(nullptr, IDI_APPLICATION, IMAGE_ICON, width, height, LR_SHARED));
}

}  // namespace

void FormWindow::RegisterClasses() {
  static const bool registered = [] {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW form{};
    form.cbSize = sizeof form;
    form.style = CS_DBLCLKS;
    form.lpfnWndProc = &FormWindow::Proc;
    form.hInstance = instance;
    form.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // Windows without an icon of their own show the program's application icon (resource 1).
    form.hIcon = ApplicationIcon(instance, SM_CXICON, SM_CYICON);
    form.hIconSm = ApplicationIcon(instance, SM_CXSMICON, SM_CYSMICON);
    form.lpszClassName = kFormClass;
    RegisterClassExW(&form);

    WNDCLASSEXW pic{};
    pic.cbSize = sizeof pic;
    pic.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    pic.lpfnWndProc = &PicBoxProc;
    pic.hInstance = instance;
    pic.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    pic.lpszClassName = kPicBoxClass;
    RegisterClassExW(&pic);
    return true;
  }();
  (void)registered;
}

FormWindow::FormWindow(WindowRecord& record, HWND owner)
    : record_(record), model_(record.stored), owner_(owner) {}

FormWindow* FormWindow::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  wchar_t name[16] = {};
  if (!GetClassNameW(hwnd, name, 16) || std::wstring_view(name) != kFormClass) return nullptr;
  return reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

FormWindow* FormWindow::Create(WindowRecord& record, HWND owner) {
  RegisterClasses();
  std::unique_ptr<FormWindow> self(new FormWindow(record, owner));
  UnitState& unit = self->model_.WindowUnit();

  Geometry g = unit.geometry();
  if (unit.Integer(kWindowPosition) == 1) {
    const Point at = CentredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                   g.width, g.height);
    g.left = at.x;
    g.top = at.y;
    unit.Set(kPropLeft, g.left);
    unit.Set(kPropTop, g.top);
  }
  const Styles s = WindowStyles(unit);
  const std::wstring title = GbkToWide(unit.TextAt(kWindowTitle).view());
  HWND hwnd =
      CreateWindowExW(s.ex_style, kFormClass, title.c_str(), s.style, g.left, g.top, g.width,
                      g.height, owner, nullptr, GetModuleHandleW(nullptr), self.get());
  if (!hwnd) return nullptr;
  FormWindow* w = self.release();
  w->adopted_ = true;
  record.loaded = w;

  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  w->ApplyIcon();
  w->CreateControls();
  w->RebuildMenuBar();
  return w;
}

LRESULT CALLBACK FormWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  FormWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
    self->Detach();
    return result;
  }
  return self->Handle(message, wParam, lParam);
}

void FormWindow::Detach() {
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  if (record_.loaded == this) record_.loaded = nullptr;
  *alive_ = false;
  WakeMessageLoops();
  if (adopted_) delete this;
}

bool FormWindow::Raise(int event, std::span<const std::int32_t> args) {
  const auto alive = alive_;
  RaiseEvent(id(), kOwnUnit, event, args);
  return *alive;
}

LRESULT FormWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = hwnd_;
  switch (message) {
    case WM_CLOSE:
      UserClose();
      return 0;
    case kPrivateCloseMessage:
      FinishClose();
      return 0;
    case WM_QUERYENDSESSION: {
      const LRESULT agree = DefWindowProcW(hwnd, message, wParam, lParam);
      const EventResult r = RaiseEvent(id(), kOwnUnit, kEventMayClose, {}, true);
      return Refused(r) ? FALSE : agree;
    }
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_MOVE:
      if (!creating_ && lParam != last_move_) {
        last_move_ = lParam;
        Raise(kEventMoved);
      }
      return 0;
    case WM_SIZE:
      if (!creating_ && std::pair(wParam, lParam) != last_size_) {
        last_size_ = {wParam, lParam};
        Raise(kEventResized);
      }
      return 0;
    case WM_ACTIVATE:
      if (!creating_) {
        if (LOWORD(wParam) == WA_INACTIVE) {
          if (!Raise(kEventDeactivated)) return 0;
        } else {
          if (!activated_once_) {
            activated_once_ = true;
            if (!Raise(kEventFirstActivated)) return 0;
          }
          if (!Raise(kEventActivated)) return 0;
        }
      }
      break;
    case WM_SHOWWINDOW:
      if (lParam == 0 && !creating_ && !Raise(wParam ? kEventShown : kEventHidden)) return 0;
      break;
    case kTrayCallbackMessage:
      OnTray(lParam);
      return 0;
    case WM_COMMAND:
      OnCommand(wParam, lParam);
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == static_cast<UINT>(TCN_SELCHANGE)) {
        if (UnitState* tab = UnitOfHandle(header->hwndFrom); tab && tab->kind() == UnitKind::kTab) {
          SelectPage(*tab, TabCtrl_GetCurSel(header->hwndFrom));
        }
      }
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return OnControlColour(message, reinterpret_cast<HDC>(wParam),
                             reinterpret_cast<HWND>(lParam));
    case WM_ERASEBKGND:
      PaintBackground(reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_SYSCOMMAND:
      if ((wParam & 0xfff0) == SC_MOVE && !model_.WindowUnit().Logical(kWindowMovable)) return 0;
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void FormWindow::EndCreation() {
  creating_ = false;
  RememberPlacement();
}

void FormWindow::RememberPlacement() {
  POINT origin{0, 0};
  ClientToScreen(hwnd_, &origin);
  last_move_ = MAKELPARAM(origin.x, origin.y);
  RECT client{};
  GetClientRect(hwnd_, &client);
  last_size_ = {SIZE_RESTORED, MAKELPARAM(client.right, client.bottom)};
}

void FormWindow::UserClose() {
  if (being_closed_) return;  // a close is already on its way
  const auto alive = alive_;
  EventResult r = RaiseEvent(id(), kOwnUnit, kEventCloseQuery, {}, true);
  if (!*alive || Refused(r)) return;
  r = RaiseEvent(id(), kOwnUnit, kEventMayClose, {}, true);
  if (!*alive || Refused(r)) return;
  FinishClose();
}

void FormWindow::RequestClose() {
  being_closed_ = true;
  PostMessageW(hwnd_, kPrivateCloseMessage, 0, 0);
}

void FormWindow::FinishClose() {
  being_closed_ = true;
  ReenableDisabled();
  DestroyWindow(hwnd_);
}

void FormWindow::OnDestroy() {
  deferred_.clear();  // nothing more is made for a window on its way out
  if (!creating_) RaiseEvent(id(), kOwnUnit, kEventDestroying);
  // The object lives until WM_NCDESTROY, whatever the handler did.
  SetMenu(hwnd_, nullptr);
  menu_bar_.Reset();
  RemoveTrayIcon();
  ReenableDisabled();
}

void FormWindow::DisableOthersForModal() {
  for (FormWindow* other : LoadedFormWindows()) {
    if (other == this || other->has_owner()) continue;
    const bool enabled = IsWindowEnabled(other->hwnd()) != FALSE;
    disabled_.emplace_back(other->hwnd(), enabled);
    EnableWindow(other->hwnd(), FALSE);
  }
}

void FormWindow::ReenableDisabled() {
  for (const auto& [hwnd, enabled] : disabled_) {
    if (IsWindow(hwnd)) EnableWindow(hwnd, enabled ? TRUE : FALSE);
  }
  disabled_.clear();
}

void FormWindow::ShowAtLoad() {
  ReleaseMenuBar();
  if (model_.WindowUnit().visible()) ShowWindow(hwnd_, ShowCommandAtLoad(model_.WindowUnit()));
}

void FormWindow::OnTray(LPARAM mouseMessage) {
  std::int32_t action = 0;
  switch (static_cast<UINT>(mouseMessage)) {
    case WM_LBUTTONUP:
      action = kTrayLeftButtonUp;
      break;
    case WM_LBUTTONDBLCLK:
      action = kTrayLeftDoubleClick;
      break;
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU:
      action = kTrayRightButtonUp;
      break;
    default:
      return;
  }
  const std::int32_t args[] = {action};
  Raise(kEventTray, args);
}

void FormWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (lParam == 0) {
    if (HIWORD(wParam) != 0) return;  // accelerators: none
    if (const UnitState* item = MenuItemByCommand(model_, LOWORD(wParam))) {
      RaiseEvent(id(), item->id(), kEventSelected);
    }
    return;
  }
  UnitState* unit = UnitOfHandle(reinterpret_cast<HWND>(lParam));
  if (unit && unit->kind() == UnitKind::kButton && HIWORD(wParam) == BN_CLICKED) {
    RaiseEvent(id(), unit->id(), kEventClicked);
  }
}

LRESULT FormWindow::OnControlColour(UINT message, HDC dc, HWND control) {
  Control* c = nullptr;
  if (UnitState* unit = UnitOfHandle(control)) c = FindControl(unit->id());
  const int back = c ? BackColourIndex(c->unit->kind()) : -1;
  if (!c || back < 0)
    return DefWindowProcW(hwnd_, message, reinterpret_cast<WPARAM>(dc),
                          reinterpret_cast<LPARAM>(control));
  if (const int text = TextColourIndex(c->unit->kind()); text >= 0) {
    SetTextColor(dc, ToColorRef(c->unit->Colour(text)));
  }
  SetBkColor(dc, ToColorRef(c->unit->Colour(back)));
  return reinterpret_cast<LRESULT>(BackBrush(*c));
}

void FormWindow::PaintBackground(HDC dc) {
  if (!window_brush_) {
    window_brush_.Reset(
        CreateSolidBrush(ToColorRef(model_.WindowUnit().Colour(kWindowBackColour))));
  }
  RECT client;
  GetClientRect(hwnd_, &client);
  FillRect(dc, &client, window_brush_.get());
}

void FormWindow::FinishLoading() {
  if (!loading_) return;
  loading_ = false;
  const auto alive = alive_;
  if (IsWindowVisible(hwnd_)) UpdateWindow(hwnd_);
  if (*alive) CreateDeferredControls();
  if (*alive && tray_icon_) NotifyTray();
}

void FormWindow::SetTrayIcon(UniqueIcon icon, std::string_view gbkTip) {
  if (!icon) {
    RemoveTrayIcon();
    return;
  }
  // The notification area answers slowly (tens of milliseconds): while the window loads, the
  // icon is kept and added once the window shows.
  // The previous icon goes once the entry no longer shows it.
  const UniqueIcon previous = std::exchange(tray_icon_, std::move(icon));
  tray_tip_ = GbkToWide(TrayTip(gbkTip));
  if (!loading_) NotifyTray();
}

void FormWindow::NotifyTray() {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = hwnd_;
  data.uID = kTrayIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayCallbackMessage;
  data.hIcon = tray_icon_.get();
  tray_tip_.copy(data.szTip, std::size(data.szTip) - 1);
  bool shown = false;
  if (tray_shown_) shown = TrayNotify(NIM_MODIFY, &data);
  if (!shown) shown = TrayNotify(NIM_ADD, &data);
  tray_shown_ = shown;
}

void FormWindow::RemoveTrayIcon() {
  if (tray_shown_) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = hwnd_;
    data.uID = kTrayIconId;
    TrayNotify(NIM_DELETE, &data);
    tray_shown_ = false;
  }
  tray_icon_.Reset();
}

std::vector<FormWindow*> LoadedFormWindows() {
  std::vector<FormWindow*> windows;
  for (WindowRecord& record : WindowRecords()) {
    if (record.loaded) windows.push_back(static_cast<FormWindow*>(record.loaded));
  }
  return windows;
}

FormWindow* LoadedFormWindow(WindowId id) {
  WindowRecord* record = FindWindowRecord(id);
  return record && record->loaded ? static_cast<FormWindow*>(record->loaded) : nullptr;
}

}  // namespace lq

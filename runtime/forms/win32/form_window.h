// A loaded window: the real Win32 window and controls of one window template, its unit state,
// its menu bar and tray icon, and the window procedure that turns window messages into events.
//
// Lives from a successful Create until its window's WM_NCDESTROY, where it unlinks itself from
// the window's record and is deleted. Everything here runs on the GUI thread.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/forms/forms_registry.h"
#include "runtime/forms/win32/windows_ui.h"
#include "runtime/pictures/win32/icon_handle.h"
#include "runtime/pictures/win32/picture_box_renderer.h"
#include "runtime/platform/unique_handle.h"

namespace lq {

// Window messages of the window layer.
inline constexpr UINT kTrayCallbackMessage = 0x8064;  // to a window from its tray icon
inline constexpr UINT kPrivateCloseMessage = 0x8065;  // CloseProgramWindow's posted close
inline constexpr UINT kTrayIconId = 100;

class FormWindow final : public LoadedWindow {
 public:
  // Creates the window (not yet shown) and the controls that show at load from the record's
  // stored model, with `owner` as its owner window (may be null); FinishLoading makes the rest.
  // Nothing when the window cannot be created.
  static FormWindow* Create(WindowRecord& record, HWND owner);
  static FormWindow* FromHandle(HWND hwnd);
  static void RegisterClasses();

  ~FormWindow() = default;
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  WindowId id() const { return model_.id(); }
  bool has_owner() const { return owner_ != nullptr; }
  // False once the window has been destroyed; holders may outlive the window.
  std::shared_ptr<const bool> AliveToken() const { return alive_; }

  // LoadedWindow.
  WindowModel& Model() override { return model_; }
  PropertyValue ReadProperty(UnitState& unit, int index) override;
  void WriteProperty(UnitState& unit, int index, const PropertyValue& value) override;

  // Loading.
  // From now on moves and size changes raise events.
  void EndCreation();
  // Disables every other parentless program window, remembering its enabled state.
  void DisableOthersForModal();
  // Shows the window if its visible flag is set, in the state its position asks for.
  void ShowAtLoad();
  // The end of loading, once the window shows: paints it, then creates the controls that Create
  // left for later (those on tab pages not selected, and what lies inside them) and adds the tray
  // icon set meanwhile. The window appears without waiting for what nobody sees yet; all of it
  // is in place before loading returns.
  void FinishLoading();

  // Closing.
  bool being_closed() const { return being_closed_; }
  // CloseProgramWindow: marks the window and posts the private close message.
  void RequestClose();
  // Re-enables what the window's modality disabled, then destroys the window.
  void FinishClose();

  // Commands.
  void SetTrayIcon(UniqueIcon icon, std::string_view gbkTip);
  void ShowPopupMenu(const UnitState& entry);
  bool OpenCommonDialog(UnitState& dialog);
  void SelectPage(UnitState& tab, std::int32_t page);

  // The control's window; for a control not created yet, creates the deferred ones first.
  HWND ControlHandle(UnitId unit);
  UnitState* UnitOfHandle(HWND control);

 private:
  struct Control {
    UnitState* unit = nullptr;
    HWND hwnd = nullptr;
    UniqueFont font;         // a template font; none means the default GUI font
    UniqueBrush back_brush;  // made on first use for the current background colour
    std::unique_ptr<pictures::PictureBoxRenderer> picture;  // picture boxes
  };

  FormWindow(WindowRecord& record, HWND owner);

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Detach();
  // Notes the client area's origin and size, so that messages repeating them raise no event.
  void RememberPlacement();

  // Raises an event of the window's own unit; false when the window is gone afterwards.
  bool Raise(int event, std::span<const std::int32_t> args = {});
  void UserClose();
  void OnDestroy();
  void OnTray(LPARAM mouseMessage);
  void OnCommand(WPARAM wParam, LPARAM lParam);
  LRESULT OnControlColour(UINT message, HDC dc, HWND control);
  void PaintBackground(HDC dc);
  void ReenableDisabled();
  void RemoveTrayIcon();

  // Controls (form_controls.cpp).
  // Creates the controls that show at load now and defers the ones on unselected tab pages.
  void CreateControls();
  void CreateControl(UnitState& unit);
  // Puts a control created later where creation in template order would have put it among its
  // siblings, so that tab order and z-order do not depend on when it was made.
  void PlaceAmongSiblings(const UnitState& unit);
  HWND CreatedHandle(UnitId unit) const;
  void CreateDeferredControls();
  void NotifyTray();
  void ApplyFont(Control& control);
  void RestyleControl(Control& control);
  void ApplyControlProperty(Control& control, int index);
  HBRUSH BackBrush(Control& control);
  Control* FindControl(UnitId unit);

  // Window properties (form_properties.cpp).
  void ApplyCommon(UnitState& unit, int index);
  void ApplyWindowProperty(int index);
  void ApplyPosition();
  void ApplyTopmost();
  void ApplyIcon();
  void RestyleWindow();

  // Menus (form_menus.cpp).
  void RebuildMenuBar();
  // Ends the hold on the menu bar that lasts from creation until the window first shows.
  void ReleaseMenuBar();

  WindowRecord& record_;
  WindowModel model_;
  HWND owner_;
  HWND hwnd_ = nullptr;
  bool adopted_ = false;  // created: the window now owns this object
  bool creating_ = true;
  bool loading_ = true;  // until FinishLoading: tray icon changes wait
  bool being_closed_ = false;
  bool activated_once_ = false;
  // The last position and size reported, so that a message repeating them raises nothing.
  LPARAM last_move_ = 0;
  std::pair<WPARAM, LPARAM> last_size_{};
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::vector<std::pair<HWND, bool>> disabled_;  // windows this window's modality disabled
  std::map<UnitId, Control> controls_;
  std::vector<UnitId> deferred_;  // controls still to be created, in template order
  UniqueMenu menu_bar_;
  bool hold_menu_bar_ = true;
  bool menu_bar_pending_ = false;
  UniqueBrush window_brush_;
  UniqueIcon big_icon_;
  UniqueIcon small_icon_;
  UniqueIcon tray_icon_;
  std::wstring tray_tip_;
  bool tray_shown_ = false;
};

// Every loaded program window.
std::vector<FormWindow*> LoadedFormWindows();
FormWindow* LoadedFormWindow(WindowId id);

}  // namespace lq

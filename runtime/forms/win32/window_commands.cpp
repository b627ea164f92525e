#include "runtime/forms/win32/window_commands.h"

#include <vector>

#include "runtime/forms/events.h"
#include "runtime/forms/forms_messages.h"
#include "runtime/forms/forms_registry.h"
#include "runtime/forms/win32/form_window.h"
#include "runtime/forms/win32/forms_runtime.h"
#include "runtime/forms/win32/windows_ui.h"
#include "runtime/platform/code_pages.h"
#include "runtime/platform/unique_handle.h"

namespace lq {
namespace {

FormWindow& LoadedOrFatal(WindowId window) {
  FormWindow* w = LoadedFormWindow(window);
  if (!w) FormsFatal(forms_messages::kNoSuchWindowOrUnit);
  return *w;
}

UnitState& UnitOrFatal(FormWindow& window, UnitId unit, UnitKind kind) {
  UnitState* state = window.Model().Find(unit);
  if (!state || state->kind() != kind) FormsFatal(forms_messages::kNoSuchWindowOrUnit);
  return *state;
}

bool LoadOnGuiThread(WindowId id, WindowId parent, bool modal) {
  WindowRecord* record = FindWindowRecord(id);
  if (!record) return false;
  if (FormWindow* existing = LoadedFormWindow(id)) {
    if (!existing->being_closed()) {
      HWND hwnd = existing->hwnd();
      if (IsIconic(hwnd)) {
        ShowWindow(hwnd, SW_RESTORE);
      } else {
        SetForegroundWindow(hwnd);
        SetActiveWindow(hwnd);
      }
      return true;
    }
    existing->FinishClose();
  }

  HWND owner = nullptr;
  if (!modal && parent != 0) {
    owner = WindowHandle(parent);
    if (!owner) return false;
  }
  HWND focus_before = GetFocus();
  FormWindow* window = FormWindow::Create(*record, owner);
  if (!window) return false;
  const std::shared_ptr<const bool> alive = window->AliveToken();
  window->EndCreation();

  for (int event : {kEventCreated, kEventMoved, kEventResized}) {
    RaiseEvent(id, kOwnUnit, event);
    if (!*alive) return false;
  }
  if (modal) window->DisableOthersForModal();
  window->ShowAtLoad();
  // The shown and activated events run handlers that may already have destroyed the window.
  if (*alive) window->FinishLoading();
  if (!modal) return true;

  RunMessageLoopWhile(alive);
  if (focus_before && IsWindow(focus_before)) SetFocus(focus_before);
  return true;
}

std::vector<std::uint8_t> ReadWholeFile(const Text& fileName) {
  if (fileName.empty()) return {};
  UniqueKernelHandle file(CreateFileW(GbkToWide(fileName.view()).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > (1 << 24)) {
    return {};
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
  DWORD got = 0;
  if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
    return {};
  bytes.resize(got);
  return bytes;
}

}  // namespace

bool LoadWindow(WindowId window, WindowId parent, bool modal) {
  bool loaded = false;
  OnGuiThread([&] { loaded = LoadOnGuiThread(window, parent, modal); });
  return loaded;
}

void CloseProgramWindow(WindowId window) {
  OnGuiThread([&] { LoadedOrFatal(window).RequestClose(); });
}

void SetTrayIcon(WindowId window, const ByteSet& icon, const Text& tip) {
  OnGuiThread([&] {
    FormWindow& w = LoadedOrFatal(window);
    w.SetTrayIcon(
        icon.empty() ? UniqueIcon() : pictures::CreateSmallIconFromFileBytes(icon.bytes()),
        tip.view());
  });
}

void SetTrayIconFromFile(WindowId window, const Text& fileName, const Text& tip) {
  OnGuiThread([&] {
    FormWindow& w = LoadedOrFatal(window);
    const std::vector<std::uint8_t> bytes = ReadWholeFile(fileName);
    w.SetTrayIcon(bytes.empty() ? UniqueIcon() : pictures::CreateSmallIconFromFileBytes(bytes),
                  tip.view());
  });
}

void ShowPopupMenu(WindowId window, UnitId menuEntry) {
  OnGuiThread([&] {
    FormWindow& w = LoadedOrFatal(window);
    w.ShowPopupMenu(UnitOrFatal(w, menuEntry, UnitKind::kMenuItem));
  });
}

bool OpenCommonDialog(WindowId window, UnitId dialog) {
  bool confirmed = false;
  OnGuiThread([&] {
    FormWindow& w = LoadedOrFatal(window);
    confirmed = w.OpenCommonDialog(UnitOrFatal(w, dialog, UnitKind::kCommonDlg));
  });
  return confirmed;
}

}  // namespace lq

// Finding and working the program's windows and controls from another process, as a user would.
// Texts go through WM_GETTEXT / WM_SETTEXT, which the system carries across processes
// (GetWindowTextW of another process's control returns nothing under Wine).
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/driver/lib/target_process.h"

namespace lq::driver {

// The tray icon's callback message and icon id of the program's windows.
inline constexpr UINT kTrayCallbackMessage = 0x8064;
inline constexpr WPARAM kTrayIconId = 100;

std::wstring ClassOf(HWND window);
// The control id (a unit id of the program) of a child window.
std::uint32_t ControlId(HWND window);
// The window's text; nothing when the window does not answer within `timeoutMs`, or at once when
// its thread has not taken a message for the last five seconds (the system's "hung").
std::optional<std::wstring> ReadText(HWND window, UINT timeoutMs = 3000);
// The same, but waiting up to `timeoutMs` for a thread seen as hung: a window just shown by a
// thread that was busy for a while answers only once that thread takes its messages again.
std::optional<std::wstring> ReadTextOnceAnswering(HWND window, UINT timeoutMs = 3000);
bool WriteText(HWND window, const std::wstring& text, UINT timeoutMs = 3000);

// Every descendant of `top` (controls inside group boxes and tab controls too).
std::vector<HWND> Descendants(HWND top);
// The first control with `id` among the descendants of `tops`, in order; null when none.
HWND FindControl(const std::vector<HWND>& tops, std::uint32_t id);
// Every descendant of `top` by its control id, looked up once (the first of an id kept).
std::map<std::uint32_t, HWND> ControlsById(HWND top);

// Visible itself and all its ancestors.
bool ShownToUser(HWND window);
// Enabled itself and its top-level window: a user could click it.
bool Usable(HWND window);

// A button click as the mouse would make it; posted, so a modal box it opens does not block.
void Click(HWND button);
// The window's close box (WM_SYSCOMMAND SC_CLOSE), posted.
void CloseAsUser(HWND window);
// A mouse action on the window's tray icon: 1 left button released, 2 left double click,
// 3 right button released. False for another action number.
bool PostTrayAction(HWND window, int action);
// The same action sent: true once the program has handled it, within `timeoutMs`.
bool SendTrayAction(HWND window, int action, UINT timeoutMs = 10000);

// Tab controls: the selected page (0-based), or -1 when the control does not answer.
int SelectedTab(HWND tab);
int TabCount(HWND tab);
// The caption of page `index`, read through memory in the program's process.
std::optional<std::wstring> TabCaption(const TargetProcess& process, HWND tab, int index);
// Selects a page the way a user does, so the program sees the change notification: a click on
// the page's tab, located with TCM_GETITEMRECT through memory in the program's process; arrow
// keys when that fails. `how` receives the way that worked or why none did.
bool SelectTab(const TargetProcess& process, HWND tab, int index, std::string* how);

}  // namespace lq::driver

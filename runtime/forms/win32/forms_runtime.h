// The window runtime on Windows: its start, the message loops and its end.
//
// A program runs as
//
//   int WINAPI wWinMain(...) { return lq::RunFormsProgram(kProgramWindows, &StartProgram); }
//
// where StartProgram prepares the program's values, calls LoadStartupWindow and RunMessageLoop
// and returns 0. RunFormsProgram starts the runtime (StartFormsRuntime), calls the start-up
// routine and, when it returns, performs the orderly end's clean-ups (lq::RunEndSteps) and
// returns the routine's exit code.
#pragma once

#include <memory>
#include <span>

#include "runtime/forms/unit_id.h"
#include "runtime/forms/win32/windows_ui.h"
#include "runtime/forms/window_template.h"

namespace lq {

// Window message posted to the hidden owner window when a job waits in the GUI queue
// (gui_queue.h); its parameters carry nothing.
inline constexpr UINT kGuiWorkMessage = 0x83e8;

// The start of the runtime on the calling thread, which becomes the GUI thread: OLE initialised
// once, the current directory set to the program file's folder, the hidden owner window created
// (message-only), the window templates read (a broken template is the fatal
// "载入窗口模板数据段出错!"), and the hooks installed through which other threads reach the GUI
// thread (the GUI queue woken by kGuiWorkMessage, EndProgram through the owner window's message
// 0x83e7) and through which the orderly end destroys the program's windows, the owner window and
// OLE.
void StartFormsRuntime(std::span<const WindowTemplate> windows);

// StartFormsRuntime, the start-up routine, then the end steps; the routine's exit code.
int RunFormsProgram(std::span<const WindowTemplate> windows, int (*startProgram)());

// Loads the start-up window, not modal and without parent; when it cannot be loaded the fatal
// "载入启动窗口失败".
void LoadStartupWindow(WindowId window);

// Dispatches messages as long as at least one program window exists (or until WM_QUIT).
void RunMessageLoop();
// Dispatches messages until `alive` turns false (the modal loop of a window).
void RunMessageLoopWhile(const std::shared_ptr<const bool>& alive);
// One message as the runtime's loops dispatch it (keyboard navigation in program windows).
void DispatchProgramMessage(MSG& message);
// Wakes the loops so they look at their condition again.
void WakeMessageLoops();

bool AnyProgramWindow();
HWND OwnerWindow();
// The real window of a loaded program window and of one of its units (kOwnUnit: the window);
// null when not loaded or when the unit has no window (menu items, the common dialog).
HWND WindowHandle(WindowId window);
HWND UnitHandle(WindowId window, UnitId unit);

// The notification-area call; tests put a recorder in front of the system's.
using TrayNotifier = BOOL(WINAPI*)(DWORD message, NOTIFYICONDATAW* data);
TrayNotifier SetTrayNotifier(TrayNotifier notifier);  // nullptr: the system's; returns the old one
bool TrayNotify(DWORD message, NOTIFYICONDATAW* data);

// Undoes StartFormsRuntime without ending the process: destroys every program window and the
// owner window, forgets the templates, uninstalls the hooks and drops the jobs still queued for the
// GUI thread. For tests that start the runtime
// more than once in one process.
void StopFormsRuntime();

}  // namespace lq

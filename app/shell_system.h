// What the shell's handlers reach beyond window properties: processes, messages, the file dialog,
// special folders, the tray, windows, the single-instance guard, the share page and work in the
// background.
//
// The program installs the platform's implementation at start (app/win32/); tests install a fake
// and drive the handlers without windows or processes.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "runtime/commands/values.h"
#include "runtime/forms/unit_id.h"
#include "runtime/system/process_list.h"

namespace lq {

class ShellSystem {
 public:
  virtual ~ShellSystem() = default;

  // ListProcesses: the running processes in the system's order.
  virtual std::vector<ProcessRecord> Processes() = 0;
  // The full path of the process's program file (its first module), GBK; empty when unreadable.
  virtual Text ModuleExecutablePath(std::uint32_t processId) = 0;
  // The executable file name of this process as the process list reports it, GBK; or empty.
  virtual Text OwnExecutableName() = 0;
  // Returns only if no other copy holds the guard named `name`; otherwise tells the user and ends
  // the program with exit code 0.
  virtual void GuardSingleInstance(const Text& name) = 0;

  // A task-modal message box without owner; an empty caption is the default "信息：".
  virtual void ShowMessage(const Text& text, std::uint32_t style, const Text& caption) = 0;
  // SpecialFolderPath: the folder's path with a trailing backslash, or empty.
  virtual Text SpecialFolderPath(int number) = 0;
  // OpenCommonDialog on a CommonDlg unit: true when the user confirmed.
  virtual bool OpenCommonDialog(WindowId window, UnitId dialog) = 0;

  // SetTrayIcon: adds or modifies the window's tray icon (icon-file bytes and tip).
  virtual void SetTrayIcon(WindowId window, const ByteSet& icon, const Text& tip) = 0;
  // ShowPopupMenu in its tray form: the items under a menu-bar entry at the mouse position.
  virtual void ShowPopupMenu(WindowId window, UnitId entry) = 0;
  // LoadWindow without a parent; a modal load returns when the window is gone.
  virtual bool LoadWindow(WindowId window, bool modal) = 0;
  // HttpRequest with the URL alone, within the share page's bounds: the response body, or empty
  // when no response came in time. Blocks the calling thread (never call it on the GUI thread).
  virtual ByteSet FetchPage(const Text& /*url*/) { return ByteSet(); }
  // Runs `work` on a thread of its own and returns at once (nothing when no thread can start).
  virtual void RunInBackground(std::function<void()> work);
};

// The installed implementation; the program ends with a runtime error report if none is.
ShellSystem& Shell();
// Installs `system` (not owned; nullptr removes it). Returns the previous one.
ShellSystem* SetShellSystem(ShellSystem* system);

}  // namespace lq

// The window commands of the program's logic: loading and closing windows, the tray icon, popup
// menus and the common dialog. Each may be called from any thread; it is carried out on the GUI
// thread. A command that names a window or unit that is not loaded (or a unit of the wrong kind)
// is the fatal "指定窗口或窗口组件不存在或尚未载入".
#pragma once

#include "runtime/commands/values.h"
#include "runtime/forms/unit_id.h"

namespace lq {

// Loads a window from its template. A loaded window is only brought back (restored when
// minimised, else activated); one that is being closed is closed first and loaded anew.
// Not modal: `parent` (0 for none) must be a loaded window, else the load fails; the window is
// owned by it. Modal: `parent` is ignored, every other parentless program window is disabled
// while the window exists, and the call returns when the window has been destroyed.
// Loading raises created, moved and resized (each while the window still exists), then shows the
// window if its visible flag is set. True when the window was loaded (not modal: and still exists).
bool LoadWindow(WindowId window, WindowId parent, bool modal);

// Marks the window as being closed and posts it the private close message: it is destroyed when
// the GUI thread's loop next runs, without the close-query and may-close events.
void CloseProgramWindow(WindowId window);

// The window's tray icon from the bytes of an icon file (a 16-pixel image preferred, else a
// 32-pixel one) and a tip (the first 62 bytes). Added when the window shows none, modified when
// it shows one; empty or undecodable bytes remove it.
void SetTrayIcon(WindowId window, const ByteSet& icon, const Text& tip);
// The same with the icon read from a file (GBK name); a file that cannot be read gives no icon.
void SetTrayIconFromFile(WindowId window, const Text& fileName, const Text& tip);

// Pops up the items under a menu-bar entry of the window at the mouse position (even while the
// entry is hidden from the menu bar). The chosen item raises its selected event.
void ShowPopupMenu(WindowId window, UnitId menuEntry);

// Shows the open-file (type 0) or save-file (type 1) dialog of a common dialog control. True when
// the user confirmed; the chosen path is then the control's file name. Other types show nothing.
bool OpenCommonDialog(WindowId window, UnitId dialog);

}  // namespace lq

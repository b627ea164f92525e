// The handlers of the main window's events and of its tray menu (bound in its template).
#pragma once

#include <cstdint>

#include "skins/installation_environment.h"

namespace lq {

// Window events.
void MainWindowCreated();   // event 0: version notice, single instance, hidden menu, tray icon
bool MainWindowMayClose();  // event 1: hides the window to the tray; always false
void MainWindowMoved();     // event 3: minimised means hidden
void MainWindowTray(std::int32_t action);  // event 9

// Tray menu items.
void ShowMenuClicked();
void ExitMenuClicked();

// Settings page: they open the Game folder through the environment that installations use.
void DiscoverGameDirectory(const InstallationEnvironment& env);  // 按钮1 "自动获取"
void PickGameDirectory(const InstallationEnvironment& env);      // 按钮2 "手动获取"
void RepairArchiveList(const InstallationEnvironment& env);      // 按钮163 "修复"

}  // namespace lq

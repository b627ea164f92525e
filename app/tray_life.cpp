// The main window's life: created with the version notice, the single-instance guard and the tray
// icon; closing or minimising hides it to the tray; the tray icon and its menu bring it back or
// end the program.
#include "app/main_window.h"
#include "app/shell_handlers.h"
#include "app/shell_system.h"
#include "app/tray_icon.h"
#include "app/version_notice.h"
#include "runtime/errors/program_end.h"
#include "runtime/forms/event_numbers.h"
#include "runtime/forms/unit_properties.h"
#include "skins/game_files.h"

namespace lq {
namespace {

enum WindowPosition : std::int32_t { kNormal = 0, kCentred = 1, kMinimised = 2, kMaximised = 3 };

void SetPosition(WindowPosition position) {
  WriteIntegerProperty(kMainWindowId, kOwnUnit, kWindowPosition, position);
}
void SetVisible(bool visible) {
  WriteLogicalProperty(kMainWindowId, kOwnUnit, kPropVisible, visible);
}
void SetTray() { Shell().SetTrayIcon(kMainWindowId, TrayIconByteSet(), kTrayTip); }

// Shows the hidden window in `position`. A position written while the window is hidden is only
// recorded, and the window would come back in the state it was hidden in (minimised); written
// again once the window is visible, it restores the window.
void ShowIn(WindowPosition position) {
  SetPosition(position);
  SetVisible(true);
  SetPosition(position);
}

}  // namespace

void MainWindowCreated() {
  // Every end of the program, by 退出, by a fatal report on any thread or by the window's end,
  // first lets a file step of an installation or repair finish and lets none begin.
  SetEndHold([] { HoldGameFileStepsForExit(); });
  Shell().GuardSingleInstance(Shell().OwnExecutableName());
  // The window shows without waiting for the share page: the title has the form of a failed read
  // until the page arrives.
  ShowVersionNotice(Text());
  StartVersionCheck();
  WriteLogicalProperty(kMainWindowId, kTrayMenuEntry, kMenuVisible, false);
  SetTray();
}

bool MainWindowMayClose() {
  SetPosition(kMinimised);
  SetVisible(false);
  SetTray();
  return false;
}

void MainWindowMoved() {
  if (ReadIntegerProperty(kMainWindowId, kOwnUnit, kWindowPosition) == kMinimised) {
    SetVisible(false);
  }
}

void MainWindowTray(std::int32_t action) {
  switch (action) {
    case kTrayLeftButtonUp:
      ShowIn(kCentred);
      break;
    case kTrayRightButtonUp:
      Shell().ShowPopupMenu(kMainWindowId, kTrayMenuEntry);
      break;
    default:  // a double click comes with its own button releases
      break;
  }
}

void ShowMenuClicked() {
  ShowIn(kNormal);
  // On top and at once back: raises the window above the others without keeping it there.
  WriteLogicalProperty(kMainWindowId, kOwnUnit, kWindowTopmost, true);
  WriteLogicalProperty(kMainWindowId, kOwnUnit, kWindowTopmost, false);
}

void ExitMenuClicked() { EndProgram(0); }  // after the end hold (MainWindowCreated)

}  // namespace lq

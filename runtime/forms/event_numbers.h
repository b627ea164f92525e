// Event numbers. An event is identified by (window id, unit id, event number).
#pragma once

#include <cstdint>

namespace lq {

// Window unit.
inline constexpr int kEventCreated = 0;     // window and controls exist, not yet shown
inline constexpr int kEventMayClose = 1;    // answer false keeps the window (and refuses a
                                            // log-off or shut-down)
inline constexpr int kEventDestroying = 2;  // before the menu and the tray icon go
inline constexpr int kEventMoved = 3;       // also when minimised, and once after created
inline constexpr int kEventResized = 4;     // once after kEventMoved at creation
inline constexpr int kEventActivated = 5;
inline constexpr int kEventDeactivated = 6;
inline constexpr int kEventFirstActivated = 8;  // before the first kEventActivated
inline constexpr int kEventTray = 9;            // argument: a TrayAction
inline constexpr int kEventShown = 10;
inline constexpr int kEventHidden = 11;
inline constexpr int kEventCloseQuery = 12;  // before kEventMayClose; false keeps the window

// Button.
inline constexpr int kEventClicked = 0;
// Menu item (in the menu bar or a popup menu).
inline constexpr int kEventSelected = 0;

// The argument of kEventTray.
enum TrayAction : std::int32_t {
  kTrayLeftButtonUp = 1,
  kTrayLeftDoubleClick = 2,
  kTrayRightButtonUp = 3,  // also the context-menu key
};

}  // namespace lq

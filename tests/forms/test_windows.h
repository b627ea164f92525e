// A small program of two windows for the window model's tests: one of every kind of unit, a menu
// with a hidden entry, a tab of three pages with a group box on one of them, and handlers that
// record what they were called for.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "runtime/forms/window_model.h"
#include "runtime/forms/window_template.h"

namespace lq::test {

inline constexpr WindowId kMainId = 0x52010001;
inline constexpr WindowId kDialogId = 0x5201005c;
inline constexpr WindowId kUnknownWindowId = 0x52019999;

// Main window units.
inline constexpr UnitId kMainUnit = 0x06010000;
inline constexpr UnitId kTab = 0x1601002a;
inline constexpr UnitId kPage0Label = 0x16010040;
inline constexpr UnitId kPage0Edit = 0x1601002b;
inline constexpr UnitId kPage0Button = 0x1601002c;   // tab order 2
inline constexpr UnitId kPage0Button2 = 0x1601002e;  // tab order 1
inline constexpr UnitId kPage0Dialog = 0x16010043;
inline constexpr UnitId kPage0Group = 0x16010073;
inline constexpr UnitId kGroupButton = 0x16010a84;
inline constexpr UnitId kPage1Button = 0x16010050;
inline constexpr UnitId kPage1HiddenButton = 0x16010051;
inline constexpr UnitId kPage1Label = 0x16010052;
inline constexpr UnitId kPage2Pic = 0x16010060;
inline constexpr UnitId kOffTabButton = 0x16010070;  // on the window, outside the tab
inline constexpr UnitId kMenuEntry = 0x26010082;
inline constexpr UnitId kMenuShow = 0x26010083;
inline constexpr UnitId kMenuExit = 0x26010084;
inline constexpr UnitId kMenuHiddenItem = 0x26010085;
inline constexpr UnitId kMenuEntry2 = 0x26010086;
inline constexpr UnitId kMenuCheck = 0x26010087;

// Dialog window units.
inline constexpr UnitId kDialogUnit = 0x0601005b;
inline constexpr UnitId kDialogPic = 0x1601005d;
inline constexpr UnitId kDialogButton = 0x1601006b;
inline constexpr UnitId kDialogLabel = 0x160100ad;

// One call of a recording handler: what it was bound as, the current event source and the
// argument (tray handlers).
struct Recorded {
  std::string what;
  WindowId window = 0;
  UnitId unit = 0;
  std::int32_t argument = 0;
  friend bool operator==(const Recorded&, const Recorded&) = default;
};

std::vector<Recorded>& EventLog();
std::vector<std::string> EventNames();  // EventLog's `what`s in order

// Answers of the answering handlers of the main window (true unless a test changes them).
struct Answers {
  bool close_query = true;
  bool may_close = true;
};
Answers& MainAnswers();

// Hooks a test can set to act inside a handler (nullptr: nothing).
struct HandlerHooks {
  void (*main_created)() = nullptr;
  void (*main_moved)() = nullptr;
  void (*main_tray)(std::int32_t action) = nullptr;
  void (*dialog_created)() = nullptr;
  void (*dialog_destroying)() = nullptr;
  void (*dialog_button)() = nullptr;
  void (*page0_button)() = nullptr;
};
HandlerHooks& Hooks();

// Clears the log, the answers and the hooks.
void ResetTestHandlers();

std::span<const WindowTemplate> TestWindows();

// The ids of the units, in their order.
inline std::vector<UnitId> Ids(const std::vector<const UnitState*>& units) {
  std::vector<UnitId> ids;
  for (const UnitState* u : units) ids.push_back(u->id());
  return ids;
}

}  // namespace lq::test

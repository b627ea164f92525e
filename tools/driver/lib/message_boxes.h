// Message boxes of the program: top-level dialog windows (class #32770) of its process; the
// message is the static control with id 0xFFFF.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tools/driver/lib/target_process.h"

namespace lq::driver {

struct MessageBoxView {
  HWND box = nullptr;
  std::wstring caption;
  std::wstring text;
};

// The visible message boxes of the process, topmost first.
std::vector<MessageBoxView> OpenMessageBoxes(const TargetProcess& process);

// Button ids of the names "ok", "cancel", "abort", "retry", "ignore", "yes", "no".
std::optional<int> MessageBoxButtonId(std::string_view name);

// Presses a button of the box (IDOK etc.); false when the box has no such button.
bool PressMessageBoxButton(HWND box, int buttonId);

}  // namespace lq::driver

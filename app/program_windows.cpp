#include "app/program_windows.h"

#include <array>

#include "app/main_window.h"
#include "skins/skin_window.h"

namespace lq {

std::span<const WindowTemplate> ProgramWindows() {
  static const std::array<WindowTemplate, 2> windows = {MainWindowTemplate(), SkinWindowTemplate()};
  return windows;
}

}  // namespace lq

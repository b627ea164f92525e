// The program's windows, as the runtime reads them at start-up.
#pragma once

#include <span>

#include "runtime/forms/window_template.h"

namespace lq {

// The main window and the skin window.
std::span<const WindowTemplate> ProgramWindows();

}  // namespace lq

// Checks of window templates before the runtime uses them (rules: window_template.h).
#pragma once

#include <span>
#include <string>

#include "runtime/forms/window_template.h"

namespace lq {

// The first rule the templates break, described for a developer (ASCII); empty when they are
// sound.
std::string FindTemplateProblem(std::span<const WindowTemplate> windows);

}  // namespace lq

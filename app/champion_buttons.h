// The champion buttons of the role pages: each is bound to OpenChampion with its catalogue index.
#pragma once

#include <cstdint>

#include "runtime/forms/handler.h"

namespace lq {

// Fills the slots with the skins of catalogue entry `index` (0..105) in slot order and loads the
// skin window modally; returns when the skin window has gone. The window opens once per click.
void OpenChampion(std::int32_t index);

// The handler of the champion button with catalogue index `index`.
constexpr Handler ChampionButtonHandler(std::int32_t index) {
  return Handler::Bind<&OpenChampion>(index);
}

}  // namespace lq

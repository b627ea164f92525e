// The champion buttons of the role pages: one handler per button, bound in the main window's
// template. Each fills the three skin slots from its catalogue row and shows the skin window
// modally.
#pragma once

#include <array>
#include <cstddef>
#include <utility>

#include "runtime/forms/handler.h"
#include "skins/catalogue.h"

namespace lq {

// Fills the slots with the skins of catalogue entry `index` (0..105) in slot order and loads the
// skin window modally; returns when the skin window has gone. The window opens once per click.
void OpenChampion(int index);

template <int Index>
void ChampionButtonClicked() {
  OpenChampion(Index);
}

namespace champion_detail {
template <std::size_t... I>
constexpr std::array<Handler::Plain, sizeof...(I)> MakeHandlers(std::index_sequence<I...>) {
  return {&ChampionButtonClicked<static_cast<int>(I)>...};
}
}  // namespace champion_detail

// The handler of the champion with catalogue index i, i = 0..105.
inline constexpr std::array<Handler::Plain, kChampionCount> kChampionButtonHandlers =
    champion_detail::MakeHandlers(std::make_index_sequence<kChampionCount>{});

}  // namespace lq

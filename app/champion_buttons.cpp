#include "app/champion_buttons.h"

#include "app/shell_system.h"
#include "skins/skin_slots.h"
#include "skins/skin_window.h"

namespace lq {

void OpenChampion(std::int32_t index) {
  const ChampionEntry& entry = Catalogue()[static_cast<std::size_t>(index)];
  FillSkinSlots(entry);
  // Once per click for every button: a second opening would find the slots emptied by the first
  // window's end, show no previews and install a package named ".zip".
  Shell().LoadWindow(kSkinWindowId, true);
}

}  // namespace lq

#include "skins/skin_window_state.h"

#include "runtime/forms/forms_registry.h"
#include "runtime/forms/property_table.h"
#include "runtime/forms/unit_properties.h"
#include "skins/skin_slots.h"
#include "skins/skin_window.h"

namespace lq {

UnitId LoadButtonOfSlot(int slot) {
  switch (slot) {
    case 1:
      return kLoadButton1;
    case 2:
      return kLoadButton2;
    default:
      return kLoadButton3;
  }
}

UnitId PreviewBoxOfSlot(int slot) {
  switch (slot) {
    case 1:
      return kPreviewBox1;
    case 2:
      return kPreviewBox2;
    default:
      return kPreviewBox3;
  }
}

bool SkinWindowState::IsCurrentOpening(std::uint64_t of) const {
  return IsWindowLoaded(kSkinWindowId) && opening.load() == of;
}

void SkinWindowState::RefreshLoadButtons() const {
  if (!IsWindowLoaded(kSkinWindowId)) {
    return;
  }
  for (int slot = 1; slot <= kSkinSlotCount; ++slot) {
    const bool busy = installing.contains(ProgramSkinSlot(slot).Read()->package_url.str());
    if (ReadLogicalProperty(kSkinWindowId, LoadButtonOfSlot(slot), kPropDisabled) != busy) {
      WriteLogicalProperty(kSkinWindowId, LoadButtonOfSlot(slot), kPropDisabled, busy);
    }
  }
}

}  // namespace lq

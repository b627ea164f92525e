#include "skins/skin_window_state.h"

#include "runtime/forms/forms_registry.h"
#include "runtime/forms/property_table.h"
#include "runtime/forms/unit_properties.h"
#include "skins/skin_slots.h"
#include "skins/skin_window.h"

namespace lq {

namespace {

// Slot k (1..3) is entry k - 1; anything else counts as slot 3.
std::size_t SlotIndex(int slot) { return slot >= 1 && slot <= 3 ? slot - 1 : 2; }

constexpr UnitId kLoadButtons[] = {kLoadButton1, kLoadButton2, kLoadButton3};
constexpr UnitId kPreviewBoxes[] = {kPreviewBox1, kPreviewBox2, kPreviewBox3};

}  // namespace

UnitId LoadButtonOfSlot(int slot) { return kLoadButtons[SlotIndex(slot)]; }
UnitId PreviewBoxOfSlot(int slot) { return kPreviewBoxes[SlotIndex(slot)]; }

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

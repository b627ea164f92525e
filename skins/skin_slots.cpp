#include "skins/skin_slots.h"

#include <array>
#include <cstdlib>
#include <utility>

namespace lq {
namespace {

const std::shared_ptr<const SkinRecord>& EmptyRecord() {
  // Never destroyed: worker threads may still copy it while the program ends.
  static const auto* const kEmpty =
      new std::shared_ptr<const SkinRecord>(std::make_shared<const SkinRecord>());
  return *kEmpty;
}

}  // namespace

SkinSlot::SkinSlot() : record_(EmptyRecord()) {}

std::shared_ptr<const SkinRecord> SkinSlot::Read() const {
  std::lock_guard lock(mutex_);
  return record_;
}

void SkinSlot::Publish(SkinRecord record) {
  auto fresh = std::make_shared<const SkinRecord>(std::move(record));
  std::shared_ptr<const SkinRecord> old;
  {
    std::lock_guard lock(mutex_);
    old = std::exchange(record_, std::move(fresh));
  }
  // `old` is released here, outside the lock; a reader that still holds it keeps it alive.
}

void SkinSlot::Empty() {
  std::shared_ptr<const SkinRecord> old;
  {
    std::lock_guard lock(mutex_);
    old = std::exchange(record_, EmptyRecord());
  }
}

SkinSlot& ProgramSkinSlot(int slot) {
  // Never destroyed, like the catalogue: installation threads may outlive static destruction.
  static auto* const kSlots = new std::array<SkinSlot, kSkinSlotCount>();
  if (slot < 1 || slot > kSkinSlotCount) {
    std::abort();
  }
  return (*kSlots)[slot - 1];
}

void FillSkinSlots(const ChampionEntry& entry) {
  for (int slot = 1; slot <= kSkinSlotCount; ++slot) {
    ProgramSkinSlot(slot).Publish(entry.skins[slot - 1]);
  }
}

void EmptySkinSlots() {
  for (int slot = 1; slot <= kSkinSlotCount; ++slot) {
    ProgramSkinSlot(slot).Empty();
  }
}

}  // namespace lq

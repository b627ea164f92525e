// The three program-wide skin slots. A champion button fills them, the skin window reads them and
// empties them when it is destroyed, and installation threads read them while the GUI thread may
// replace them. A slot is replaced by publishing a new immutable record: a reader keeps the record
// it took for as long as it holds it, whatever happens to the slot meanwhile.
#pragma once

#include <memory>
#include <mutex>

#include "skins/catalogue.h"

namespace lq {

class SkinSlot {
 public:
  SkinSlot();
  SkinSlot(const SkinSlot&) = delete;
  SkinSlot& operator=(const SkinSlot&) = delete;

  // The record the slot holds now; an empty slot gives a record of three empty texts. Never null.
  std::shared_ptr<const SkinRecord> Read() const;
  void Publish(SkinRecord record);
  void Empty();

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<const SkinRecord> record_;
};

inline constexpr int kSkinSlotCount = 3;

// Slot 1 to 3. Any other number is a programming error and ends the program.
SkinSlot& ProgramSkinSlot(int slot);

// Fills slot 1, 2 and 3 in turn with the champion's skins.
void FillSkinSlots(const ChampionEntry& entry);

// Empties all three slots.
void EmptySkinSlots();

}  // namespace lq

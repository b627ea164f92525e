#include "app/program_values.h"

#include "app/game_directory.h"
#include "skins/skin_slots.h"

namespace lq {

void ResetProgramValues() {
  PublishGameDirectory(Text());
  EmptySkinSlots();
}

void ReleaseProgramValues(int /*position*/) { ResetProgramValues(); }

}  // namespace lq

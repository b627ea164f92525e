// The program-wide values (GameDirectory and the three skin slots) and their life.
#pragma once

namespace lq {

// Empties every program-wide value.
void ResetProgramValues();

// The clean-up that releases them at the program's end (registered once by StartProgram).
void ReleaseProgramValues(int position);

}  // namespace lq

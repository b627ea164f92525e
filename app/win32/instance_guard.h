// The single-instance guard: a named mutex whose name is the program's executable file name.
#pragma once

#include "runtime/commands/values.h"

namespace lq {

inline constexpr const char* kAlreadyRunningMessage = "你已经运行了呢,请查看桌面右下角！";
inline constexpr const char* kAlreadyRunningCaption = "提示";
inline constexpr unsigned kGuardWaitMilliseconds = 100;

// Returns only if no other copy holds the guard `name` (an empty name guards nothing). Otherwise
// shows the notice and ends the program with exit code 0. The guard is held until the process ends.
void GuardSingleInstance(const Text& name);

}  // namespace lq

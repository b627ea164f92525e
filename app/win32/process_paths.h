// This process's executable name and another process's program path, from Tool Help snapshots.
#pragma once

#include <cstdint>

#include "runtime/commands/values.h"

namespace lq {

// The executable file name (without directory) that the process list gives for this process, as
// GBK; empty when the process is not listed or no snapshot can be taken.
Text OwnExecutableName();

// The full path of the process's first module (its program file), as GBK; empty when its modules
// cannot be read (for example when access is denied).
Text ModuleExecutablePath(std::uint32_t processId);

}  // namespace lq

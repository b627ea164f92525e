#include <windows.h>

#include "runtime/platform/debug_log.h"

namespace lq {

void WriteDebugLine(const char* line) { OutputDebugStringA(line); }

}  // namespace lq

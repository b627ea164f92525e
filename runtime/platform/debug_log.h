// A line for a debugger, never for the user: the system's debug output on Windows, nothing
// elsewhere.
#pragma once

namespace lq {

void WriteDebugLine(const char* line);

}  // namespace lq

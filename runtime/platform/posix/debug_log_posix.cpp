#include "runtime/platform/debug_log.h"

namespace lq {

// No system debug output here: a reader sets LQ_PICTURES_LOG and reads standard error instead.
void WriteDebugLine(const char* /*line*/) {}

}  // namespace lq

// The text a message box shows for a value of any kind.
#pragma once

#include "runtime/commands/values.h"

namespace lq {

// Texts as they are; numbers, logicals and date-times as ToText writes them; any other kind
// (byte sets, arrays, subroutine pointers, a value left out) gives the empty text.
Text MessageBoxContentText(const Value& content);

}  // namespace lq

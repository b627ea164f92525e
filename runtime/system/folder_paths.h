// SpecialFolderPath: the path of one of the system's well-known folders.
#pragma once

#include "runtime/commands/values.h"
#include "runtime/system/special_folder_query.h"

namespace lq {

// The folder of `number` (see SpecialFolderQuery) as GBK, always ending in a backslash; empty for
// an unknown number or a failed query.
Text SpecialFolderPath(int number);

}  // namespace lq

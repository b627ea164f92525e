// The system commands' names for the platform layer's handle owners.
#pragma once

#include "runtime/platform/win32/handles.h"

namespace lq::sys {

using UniqueFile = UniqueKernelHandle;  // files and snapshots
using UniqueInternet = UniqueInternetHandle;

}  // namespace lq::sys

// The GBK and UTF-16 conversion of the platform layer, under the name the runtime's layers include.
#pragma once

#include "runtime/platform/win32/wide_text.h"

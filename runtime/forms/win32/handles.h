// The window layer's names for the platform layer's handle owners.
#pragma once

#include "runtime/forms/win32/windows_ui.h"
#include "runtime/platform/win32/handles.h"

namespace lq {

using UniqueMenu = UniqueMenuHandle;
using UniqueFont = UniqueFontHandle;
using UniqueBrush = UniqueBrushHandle;
using UniqueWindow = UniqueWindowHandle;
using UniqueFile = UniqueKernelHandle;

}  // namespace lq

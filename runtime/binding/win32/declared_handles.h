// Handle kinds that the program closes through its declared functions, on the platform layer's
// one owner template.
#pragma once

#include <windows.h>

#include "runtime/binding/win32/declared_call.h"
#include "runtime/platform/unique_handle.h"

namespace lq {

template <DeclaredFunctionId kClose>
BOOL CloseThroughDeclared(HANDLE handle) {
  return CallDeclared<decltype(&::CloseHandle)>(kClose, handle);
}

// Tool Help snapshots (INVALID_HANDLE_VALUE when none could be taken) and the guard mutex.
using DeclaredSnapshot =
    UniqueHandle<HANDLE, &CloseThroughDeclared<DeclaredFunctionId::kCloseSnapshotHandle>, -1, 0>;
using DeclaredMutex =
    UniqueHandle<HANDLE, &CloseThroughDeclared<DeclaredFunctionId::kCloseMutexHandle>>;

}  // namespace lq

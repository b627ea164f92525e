// Owner of one WinInet handle of HttpRequest, closed through the program's declared
// InternetCloseHandle: the runtime's one owner template with the declared close.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "runtime/errors/win32/declared_call.h"
#include "runtime/platform/unique_handle.h"

namespace lq {

inline BOOL CloseInternetThroughDeclared(HINTERNET handle) {
  return CallDeclared<decltype(&::InternetCloseHandle)>(DeclaredFunctionId::kInternetCloseHandle,
                                                        handle);
}

using InternetHandle = UniqueHandle<HINTERNET, &CloseInternetThroughDeclared>;

}  // namespace lq

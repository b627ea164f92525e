// Owner of one WinInet handle of HttpRequest, closed through the program's declared
// InternetCloseHandle: the runtime's one owner template with the declared close.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "runtime/errors/win32/declared_call.h"
#include "runtime/system/win32/unique_handles.h"

namespace lq {

struct DeclaredInternetHandleTraits {
  using Handle = HINTERNET;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) {
    CallDeclared<decltype(&::InternetCloseHandle)>(DeclaredFunctionId::kInternetCloseHandle, h);
  }
};

using InternetHandle = sys::UniqueHandle<DeclaredInternetHandleTraits>;

}  // namespace lq

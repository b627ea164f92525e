// The one owner of every system handle the program holds, and the one list of the kinds it holds:
// a handle has exactly one owner, which cannot be copied; moving hands the handle over, and the
// owner releases it once.
//
// A handle kind is one line naming its type, the function that releases it and the values that
// mean "no handle" (the first is the one an empty owner holds; a null pointer when none is given).
// No other code releases a handle.
#pragma once

#include <cstdint>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
// windows.h first: the WinInet header builds on its types.
#include <wininet.h>

#include "runtime/platform/system_function.h"
#else
#include <iconv.h>
#endif

namespace lq {

template <class H, auto Release, std::intptr_t... None>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H handle) : handle_(IsNone(handle) ? Empty() : handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  H get() const { return handle_; }
  explicit operator bool() const { return !IsNone(handle_); }

  // Gives the handle away: the caller releases it, or keeps it for the rest of the process.
  H release() { return std::exchange(handle_, Empty()); }

  // Releases the handle held, if any, and takes `handle`.
  void Reset(H handle = Empty()) {
    const H old = std::exchange(handle_, IsNone(handle) ? Empty() : handle);
    if (!IsNone(old) && old != handle_) Release(old);
  }

 private:
  static H FromValue(std::intptr_t value) {
    if constexpr (requires { static_cast<H>(value); }) {
      return static_cast<H>(value);
    } else {
      return reinterpret_cast<H>(value);
    }
  }
  static H Empty() {
    if constexpr (sizeof...(None) == 0) {
      return FromValue(0);
    } else {
      constexpr std::intptr_t kValues[] = {None...};
      return FromValue(kValues[0]);
    }
  }
  static bool IsNone(H handle) {
    if constexpr (sizeof...(None) == 0) {
      return handle == FromValue(0);
    } else {
      return ((handle == FromValue(None)) || ...);
    }
  }

  H handle_ = Empty();
};

#if defined(_WIN32)

// CloseHandle as linked, or where the lookup finds it.
template <FunctionLookup kCloseHandle>
BOOL CloseHandleThrough(HANDLE handle) {
  return platform::LinkedOr(kCloseHandle, &::CloseHandle)(handle);
}

// Kernel objects: files, threads, mutexes, Tool Help snapshots. Creating functions report failure
// as a null handle or as INVALID_HANDLE_VALUE, and both mean none.
using UniqueKernelHandle = UniqueHandle<HANDLE, &::CloseHandle, 0, -1>;
// The same, closed by the CloseHandle that the lookup gives (one of the program's declared ones).
template <FunctionLookup kCloseHandle>
using UniqueKernelHandleClosedBy = UniqueHandle<HANDLE, &CloseHandleThrough<kCloseHandle>, 0, -1>;
using UniqueFindHandle = UniqueHandle<HANDLE, &::FindClose, -1, 0>;
using UniqueInternetHandle = UniqueHandle<HINTERNET, &::InternetCloseHandle>;
using UniqueModule = UniqueHandle<HMODULE, &::FreeLibrary>;
// Icons, and cursors made from resource data (DestroyIcon releases both).
using UniqueIcon = UniqueHandle<HICON, &::DestroyIcon>;
using UniqueMenu = UniqueHandle<HMENU, &::DestroyMenu>;
using UniqueFont = UniqueHandle<HFONT, &::DeleteObject>;
using UniqueBrush = UniqueHandle<HBRUSH, &::DeleteObject>;

#else

// The conversion descriptors of the native build's code pages.
using UniqueIconv = UniqueHandle<iconv_t, &::iconv_close, -1>;

#endif

}  // namespace lq

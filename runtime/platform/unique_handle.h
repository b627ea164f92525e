// The one owner of every system handle the program holds: a handle has exactly one owner, which
// cannot be copied; moving hands the handle over, and the owner releases it once.
//
// A handle kind is one line naming its type, the function that releases it and the values that
// mean "no handle" (the first is the one an empty owner holds; a null pointer when none is given):
//   using UniqueFile = UniqueHandle<HANDLE, &::CloseHandle, 0, -1>;
// The kinds of the Windows layer are listed in runtime/platform/win32/handles.h.
#pragma once

#include <cstdint>
#include <utility>

namespace lq {

template <class H, auto Release, std::intptr_t... None>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H handle) : handle_(IsNone(handle) ? Empty() : handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  H get() const { return handle_; }
  explicit operator bool() const { return !IsNone(handle_); }

  // Gives the handle away: the caller releases it, or keeps it for the rest of the process.
  H release() { return std::exchange(handle_, Empty()); }

  // Releases the handle held, if any, and takes `handle`.
  void reset(H handle = Empty()) {
    const H old = std::exchange(handle_, IsNone(handle) ? Empty() : handle);
    if (!IsNone(old) && old != handle_) Release(old);
  }
  // The system layer's spelling of reset.
  void Reset(H handle = Empty()) { reset(handle); }

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

}  // namespace lq

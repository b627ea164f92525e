// Single owners of the handles the system commands open. Not copyable; moving hands over.
#pragma once

#include <windows.h>
// windows.h first: the WinInet header builds on its types.
#include <wininet.h>

#include <utility>

namespace lq::sys {

// Traits: `Handle`, `Invalid()` and `Close(h)`.
template <class Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : h_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::Invalid())) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.h_, Traits::Invalid()));
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  Handle get() const { return h_; }
  explicit operator bool() const { return h_ != Traits::Invalid(); }
  void Reset(Handle h = Traits::Invalid()) {
    if (h_ != Traits::Invalid()) Traits::Close(h_);
    h_ = h;
  }

 private:
  Handle h_ = Traits::Invalid();
};

// Files and snapshots: INVALID_HANDLE_VALUE marks "none".
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};

struct InternetHandleTraits {
  using Handle = HINTERNET;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { InternetCloseHandle(h); }
};

using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueInternet = UniqueHandle<InternetHandleTraits>;

}  // namespace lq::sys

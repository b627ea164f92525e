// Owners of the window layer's handles: each handle has exactly one owner, which cannot be copied.
#pragma once

#include <utility>

#include "runtime/forms/win32/windows_ui.h"

namespace lq {

template <class H, class Free>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H handle) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  H get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  H release() { return std::exchange(handle_, nullptr); }
  void reset(H handle = nullptr) {
    if (handle_ != nullptr && handle_ != handle) Free()(handle_);
    handle_ = handle;
  }

 private:
  H handle_ = nullptr;
};

struct FreeMenu {
  void operator()(HMENU h) const { DestroyMenu(h); }
};
struct FreeGdiObject {
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct FreeWindow {
  void operator()(HWND h) const { DestroyWindow(h); }
};

using UniqueMenu = UniqueHandle<HMENU, FreeMenu>;
using UniqueFont = UniqueHandle<HFONT, FreeGdiObject>;
using UniqueBrush = UniqueHandle<HBRUSH, FreeGdiObject>;
using UniqueWindow = UniqueHandle<HWND, FreeWindow>;

// A kernel handle; INVALID_HANDLE_VALUE counts as none.
class UniqueFile {
 public:
  explicit UniqueFile(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  UniqueFile(const UniqueFile&) = delete;
  UniqueFile& operator=(const UniqueFile&) = delete;
  ~UniqueFile() {
    if (h_) CloseHandle(h_);
  }
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HANDLE h_;
};

}  // namespace lq

// Owner of one WinInet handle, closed through the program's declared InternetCloseHandle.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <utility>

#include "runtime/errors/win32/declared_call.h"

namespace lq {

class InternetHandle {
 public:
  InternetHandle() = default;
  explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
  ~InternetHandle() { Close(); }
  InternetHandle(InternetHandle&& other) noexcept
      : handle_(std::exchange(other.handle_, nullptr)) {}
  InternetHandle& operator=(InternetHandle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;

  HINTERNET get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

  void Close() {
    if (handle_ != nullptr) {
      CallDeclared<decltype(&::InternetCloseHandle)>(DeclaredFunctionId::kInternetCloseHandle,
                                                     std::exchange(handle_, nullptr));
    }
  }

 private:
  HINTERNET handle_ = nullptr;
};

}  // namespace lq

// The one way the program starts a thread: CreateThread on Windows, as linked or where a lookup
// finds it (the program's workers start through its declared CreateThread); a standard thread
// elsewhere. Nothing the thread's work throws leaves the thread.
#pragma once

#include <functional>
#include <memory>

#include "runtime/platform/system_function.h"

namespace lq::platform {

class Thread {
 public:
  Thread();  // no thread
  // Starts `work` on a new thread and returns at once. An empty Thread when no thread could be
  // started; `work` then does not run.
  static Thread Start(std::function<void()> work, FunctionLookup create_thread = nullptr);

  Thread(Thread&& other) noexcept;
  Thread& operator=(Thread&& other) noexcept;
  // Lets the thread run on without its owner: it ends when its work returns.
  ~Thread();

  explicit operator bool() const { return running_ != nullptr; }

  // Waits until the thread's work has returned; the Thread is then empty.
  void Join();

 private:
  struct Running;  // the platform's thread
  std::unique_ptr<Running> running_;
};

}  // namespace lq::platform

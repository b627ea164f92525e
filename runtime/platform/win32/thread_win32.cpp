// Threads on Windows, started with CreateThread. Not std::thread: under Wine a thread of the MinGW
// threads library that is detached right after it was created now and then never starts
// (measured: one in a few hundred to a few thousand), and its work would never run.
#include <windows.h>

#include <new>

#include "runtime/platform/thread.h"
#include "runtime/platform/unique_handle.h"

namespace lq::platform {
namespace {

DWORD WINAPI RunWork(void* parameter) {
  const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
  try {
    (*work)();
  } catch (...) {
    // Nothing leaves a thread's start routine.
  }
  return 0;
}

}  // namespace

struct Thread::Running {
  UniqueKernelHandle handle;
};

Thread::Thread() = default;
Thread::Thread(Thread&& other) noexcept = default;
Thread& Thread::operator=(Thread&& other) noexcept = default;
Thread::~Thread() = default;

Thread Thread::Start(std::function<void()> work, FunctionLookup create_thread) {
  auto* parameter = new (std::nothrow) std::function<void()>(std::move(work));
  if (parameter == nullptr) return Thread();
  DWORD id = 0;
  const HANDLE handle =
      LinkedOr(create_thread, &::CreateThread)(nullptr, 0, &RunWork, parameter, 0, &id);
  if (handle == nullptr) {
    delete parameter;
    return Thread();
  }
  Thread thread;
  thread.running_ = std::make_unique<Running>(Running{UniqueKernelHandle(handle)});
  return thread;
}

void Thread::Join() {
  if (!running_) return;
  WaitForSingleObject(running_->handle.get(), INFINITE);
  running_.reset();
}

}  // namespace lq::platform

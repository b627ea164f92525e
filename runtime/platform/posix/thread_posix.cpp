// Threads outside Windows (the native build): standard threads; one that loses its owner is
// detached.
#include <system_error>
#include <thread>

#include "runtime/platform/thread.h"

namespace lq::platform {

struct Thread::Running {
  std::thread thread;
  ~Running() {
    if (thread.joinable()) thread.detach();
  }
};

Thread::Thread() = default;
Thread::Thread(Thread&& other) noexcept = default;
Thread& Thread::operator=(Thread&& other) noexcept = default;
Thread::~Thread() = default;

Thread Thread::Start(std::function<void()> work, FunctionLookup /*create_thread*/) {
  Thread started;
  started.running_ = std::make_unique<Running>();
  try {
    started.running_->thread = std::thread([work = std::move(work)] {
      try {
        work();
      } catch (...) {
        // Nothing leaves a thread's start routine.
      }
    });
  } catch (const std::system_error&) {
    return Thread();
  }
  return started;
}

void Thread::Join() {
  if (!running_) return;
  running_->thread.join();
  running_.reset();
}

}  // namespace lq::platform

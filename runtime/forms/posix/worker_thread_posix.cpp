// Worker threads outside Windows (the native test build): a detached standard thread.
#include <system_error>
#include <thread>

#include "runtime/forms/gui_queue.h"

namespace lq {

bool StartWorkerThread(std::function<void()> work) {
  try {
    std::thread([work = std::move(work)] {
      try {
        work();
      } catch (...) {
        // Nothing leaves a thread's start routine.
      }
    }).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

}  // namespace lq

#include "runtime/forms/gui_queue.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "runtime/binding/program_declarations.h"
#include "runtime/errors/program_end.h"
#include "runtime/platform/thread.h"

namespace lq {
namespace {

struct JobQueue {
  std::mutex mutex;
  std::deque<GuiJob> jobs;
};

// Never destroyed: a worker may still post while the process ends.
JobQueue& Queue() {
  static JobQueue& queue = *new JobQueue;
  return queue;
}

std::atomic<GuiWaker> g_waker{nullptr};

// A caller of InvokeOnGuiThread waiting for its job.
struct Waiting {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  std::exception_ptr error;

  void Finish() {
    {
      std::lock_guard lock(mutex);
      done = true;
    }
    finished.notify_one();
  }
  void Wait() {
    std::unique_lock lock(mutex);
    finished.wait(lock, [this] { return done; });
  }
};

// Held by the queued job alone: however the job ends (run, or dropped unrun), its end releases
// the waiting caller.
struct Release {
  explicit Release(std::shared_ptr<Waiting> w) : waiting(std::move(w)) {}
  Release(const Release&) = delete;
  Release& operator=(const Release&) = delete;
  ~Release() { waiting->Finish(); }
  std::shared_ptr<Waiting> waiting;
};

std::optional<GuiJob> TakeNextJob() {
  JobQueue& queue = Queue();
  std::lock_guard lock(queue.mutex);
  if (queue.jobs.empty()) return std::nullopt;
  GuiJob job = std::move(queue.jobs.front());
  queue.jobs.pop_front();
  return job;
}

}  // namespace

void PostToGuiThread(GuiJob job) {
  {
    JobQueue& queue = Queue();
    std::lock_guard lock(queue.mutex);
    queue.jobs.push_back(std::move(job));
  }
  if (GuiWaker waker = g_waker.load()) waker();
}

std::size_t RunGuiJobs() {
  std::size_t ran = 0;
  while (!EventDispatchSuspended()) {
    std::optional<GuiJob> job = TakeNextJob();
    if (!job) break;
    try {
      (*job)();
    } catch (...) {
      // The job's own failure ends with it; the GUI thread goes on with the next one.
    }
    ++ran;
  }
  return ran;
}

void SetGuiWaker(GuiWaker waker) { g_waker = waker; }

void InvokeOnGuiThread(void (*run)(void* context), void* context) {
  if (IsGuiThread() || g_waker.load() == nullptr) {
    run(context);
    return;
  }
  auto waiting = std::make_shared<Waiting>();
  auto release = std::make_shared<Release>(waiting);
  PostToGuiThread([run, context, release] {
    try {
      run(context);
    } catch (...) {
      release->waiting->error = std::current_exception();
    }
  });
  release.reset();
  waiting->Wait();
  if (waiting->error) std::rethrow_exception(waiting->error);
}

void DropGuiJobs() {
  std::deque<GuiJob> dropped;
  {
    JobQueue& queue = Queue();
    std::lock_guard lock(queue.mutex);
    dropped.swap(queue.jobs);
  }
  // Destroyed here, outside the lock: their ends release the callers waiting for them.
}

bool StartWorkerThread(std::function<void()> work) {
  // Through the program's declared CreateThread; the thread runs on without its owner.
  return static_cast<bool>(
      platform::Thread::Start(std::move(work), DeclaredLookup(DeclaredFunctionId::kCreateThread)));
}

}  // namespace lq

// Work for the GUI thread from other threads, through one in-process queue.
//
// A worker hands the GUI thread a job with PostToGuiThread and goes on at once; the platform
// wakes the GUI thread, which runs the queued jobs in the order they were posted (RunGuiJobs).
// Property access from another thread goes the same way but waits for its job
// (InvokeOnGuiThread). Only a wake-up travels in a window message: the work itself is found in
// this queue, never in a message's parameters.
#pragma once

#include <cstddef>
#include <functional>
#include <type_traits>

namespace lq {

using GuiJob = std::function<void()>;

// Queues `job` for the GUI thread and wakes it; returns at once. Callable on any thread.
void PostToGuiThread(GuiJob job);

// Runs the queued jobs on the calling thread (the GUI thread), one at a time in the order they
// were posted, until none is left (jobs posted meanwhile included). A job that throws is
// abandoned there; the next one runs. While event dispatch is suspended (an error report is on
// screen or the program is ending) nothing runs and the jobs stay queued. Returns how many ran.
std::size_t RunGuiJobs();

// How the GUI thread is woken: called on the posting thread once for each posted job. The
// platform installs one while its runtime runs; without one, jobs wait for a RunGuiJobs call.
using GuiWaker = void (*)();
void SetGuiWaker(GuiWaker waker);

// Runs `run(context)` on the GUI thread and returns once it has run. On the GUI thread itself,
// or while no waker is installed, it runs at once on the calling thread; otherwise it is queued
// like a posted job and the caller waits, and an exception it throws reaches the caller. When
// the queue is dropped before the job runs, the caller returns without it having run.
void InvokeOnGuiThread(void (*run)(void* context), void* context);

template <class F>
void OnGuiThread(F&& f) {
  InvokeOnGuiThread([](void* c) { (*static_cast<std::remove_reference_t<F>*>(c))(); }, &f);
}

// Drops every queued job without running it; callers waiting for theirs return.
void DropGuiJobs();

// Starts `work` on a new thread of its own and returns at once. Nothing `work` throws leaves the
// thread. False when no thread could be started; `work` then does not run.
bool StartWorkerThread(std::function<void()> work);

}  // namespace lq

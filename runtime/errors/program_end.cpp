#include "runtime/errors/program_end.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>

namespace lq {
namespace {

struct EndHook {
  EndStage stage;
  std::function<void()> run;
};

struct EndState {
  std::mutex mutex;
  std::vector<CleanupRoutine> cleanups;
  std::vector<EndHook> hooks;
  std::thread::id gui_thread;
  EndProgramForwarder forwarder;
};

EndState& State() {
  static EndState& state = *new EndState;  // never destroyed: EndProgram may run during exit
  return state;
}

std::atomic<int> g_nesting{0};
std::atomic<bool> g_ending{false};
std::atomic<ProcessTerminator> g_terminator{nullptr};
std::atomic<EndHold> g_hold{nullptr};

constexpr EndStage kStages[] = {EndStage::kNotifyLibraries, EndStage::kUnloadDeclaredModules,
                                EndStage::kReleaseObjects, EndStage::kShutDownPlatform};

// Takes the hooks of one stage out of the list, so each runs once even if the end re-enters.
std::vector<std::function<void()>> TakeHooks(EndStage stage) {
  EndState& s = State();
  std::lock_guard lock(s.mutex);
  std::vector<std::function<void()>> taken;
  auto rest = std::stable_partition(s.hooks.begin(), s.hooks.end(),
                                    [stage](const EndHook& h) { return h.stage != stage; });
  for (auto it = rest; it != s.hooks.end(); ++it) taken.push_back(std::move(it->run));
  s.hooks.erase(rest, s.hooks.end());
  return taken;
}

void RunEndHold() {
  if (EndHold hold = g_hold.load()) hold();
}

[[noreturn]] void Terminate(int exitCode) {
  ProcessTerminator terminator = g_terminator.load();
  if (terminator) terminator(exitCode);
  EndProcess(exitCode);
}

// Steps 2 to 7, the hold done.
void RunEndStepsHeld() {
  g_ending = true;
  ++g_nesting;

  std::vector<CleanupRoutine> cleanups;
  {
    EndState& s = State();
    std::lock_guard lock(s.mutex);
    cleanups.swap(s.cleanups);  // emptied before running: a nested end finds nothing left
  }
  for (std::size_t i = 0; i < cleanups.size(); ++i) cleanups[i](static_cast<int>(i));

  for (EndStage stage : kStages) {
    for (auto& hook : TakeHooks(stage)) hook();
  }
}

}  // namespace

int ErrorNestingCount() { return g_nesting.load(); }
void EnterErrorReport() { ++g_nesting; }
bool IsProgramEnding() { return g_ending.load(); }

void RegisterCleanup(CleanupRoutine routine) {
  if (!routine) return;
  EndState& s = State();
  std::lock_guard lock(s.mutex);
  if (std::find(s.cleanups.begin(), s.cleanups.end(), routine) == s.cleanups.end()) {
    s.cleanups.push_back(routine);
  }
}

void ClearCleanups() {
  EndState& s = State();
  std::lock_guard lock(s.mutex);
  s.cleanups.clear();
}

void AddEndHook(EndStage stage, std::function<void()> hook) {
  EndState& s = State();
  std::lock_guard lock(s.mutex);
  s.hooks.push_back({stage, std::move(hook)});
}

void SetGuiThread(std::thread::id id) {
  EndState& s = State();
  std::lock_guard lock(s.mutex);
  s.gui_thread = id;
}

bool IsGuiThread() {
  EndState& s = State();
  std::lock_guard lock(s.mutex);
  return s.gui_thread == std::thread::id() || s.gui_thread == std::this_thread::get_id();
}

void SetEndProgramForwarder(EndProgramForwarder forwarder) {
  EndState& s = State();
  std::lock_guard lock(s.mutex);
  s.forwarder = std::move(forwarder);
}

void SetEndHold(EndHold hold) { g_hold = hold; }

void RunEndSteps() {
  RunEndHold();
  RunEndStepsHeld();
}

void EndProgram(int exitCode) {
  // On this thread, also before a hand-over: the GUI thread could not wait for work of a thread
  // that waits for the GUI thread.
  RunEndHold();
  if (!IsGuiThread()) {
    EndProgramForwarder forwarder;
    {
      EndState& s = State();
      std::lock_guard lock(s.mutex);
      forwarder = s.forwarder;
    }
    if (forwarder && forwarder(exitCode)) Terminate(exitCode);
  }
  RunEndStepsHeld();
  Terminate(exitCode);
}

ProcessTerminator SetProcessTerminator(ProcessTerminator terminator) {
  return g_terminator.exchange(terminator);
}

void ResetProgramEndState() {
  g_nesting = 0;
  g_ending = false;
  g_hold = nullptr;
  EndState& s = State();
  std::lock_guard lock(s.mutex);
  s.cleanups.clear();
  s.hooks.clear();
  s.gui_thread = {};
  s.forwarder = nullptr;
}

}  // namespace lq

#include "app/shell_system.h"

#include <utility>

#include "runtime/errors/runtime_error.h"
#include "runtime/forms/gui_queue.h"

namespace lq {
namespace {
ShellSystem* installed = nullptr;
}  // namespace

void ShellSystem::RunInBackground(std::function<void()> work) {
  StartWorkerThread(std::move(work));
}

ShellSystem& Shell() {
  if (installed == nullptr) ReportRuntimeError("shell system not installed");
  return *installed;
}

ShellSystem* SetShellSystem(ShellSystem* system) { return std::exchange(installed, system); }

}  // namespace lq

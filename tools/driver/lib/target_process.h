// The program under test: started by the driver or attached to by process id.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "runtime/platform/unique_handle.h"

namespace lq::driver {

class TargetProcess {
 public:
  // Starts `exe` with `args` (already quoted as one command-line tail) in `cwd` (empty: the
  // directory of `exe`). On failure returns nothing and sets `error`.
  static std::optional<TargetProcess> Start(const std::wstring& exe, const std::wstring& args,
                                            const std::wstring& cwd, std::string* error);
  // Attaches to a running process; it is never ended by the driver.
  static std::optional<TargetProcess> Attach(DWORD pid, std::string* error);

  TargetProcess(TargetProcess&&) = default;
  TargetProcess& operator=(TargetProcess&&) = default;
  // A process the driver started and that still runs is ended here, so no test leaves one behind.
  ~TargetProcess();

  DWORD pid() const { return pid_; }
  HANDLE handle() const { return process_.get(); }
  bool started_here() const { return started_here_; }

  bool Running() const;
  // The exit code once the process has ended within `timeoutMs`.
  std::optional<DWORD> WaitExit(DWORD timeoutMs) const;
  // Ends a process the driver started (false for an attached one).
  bool Terminate(UINT exitCode = 0xDEAD);

  // The process's top-level windows, hidden ones included, in z-order (topmost first).
  std::vector<HWND> TopLevelWindows() const;

 private:
  TargetProcess(UniqueKernelHandle process, DWORD pid, bool startedHere)
      : process_(std::move(process)), pid_(pid), started_here_(startedHere) {}

  UniqueKernelHandle process_;
  DWORD pid_ = 0;
  bool started_here_ = false;
};

}  // namespace lq::driver

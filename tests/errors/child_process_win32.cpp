#include <windows.h>

#include "runtime/binding/win32/system_module_loader.h"
#include "tests/errors/child_process.h"

namespace lq::test {

FatalChild::FatalChild(const std::vector<std::string>& args, const std::string& stderrFile) {
  // Arguments are plain ASCII words and relative file names.
  std::wstring path = ProgramDirectory() + L"errors_fatal_child.exe";
  std::wstring command = L"\"" + path + L"\"";
  for (const auto& a : args) command += L" \"" + std::wstring(a.begin(), a.end()) + L"\"";
  (void)stderrFile;  // the Windows child shows a box instead

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  started_ = CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process) != 0;
  if (started_) {
    CloseHandle(process.hThread);
    handle_ = process.hProcess;
    id_ = process.dwProcessId;
  }
}

FatalChild::~FatalChild() {
  if (!handle_) return;
  if (WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(handle_, 1);
    WaitForSingleObject(handle_, 5000);
  }
  CloseHandle(handle_);
}

std::optional<std::uint32_t> FatalChild::Wait(int milliseconds) {
  if (WaitForSingleObject(handle_, static_cast<DWORD>(milliseconds)) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(handle_, &code);
  reaped_ = true;
  return code;
}

std::uint32_t MinusOneExitStatus() { return 0xFFFFFFFFu; }

}  // namespace lq::test

#include "tools/driver/lib/target_process.h"

#include "tools/driver/lib/wide.h"

namespace lq::driver {

namespace {

std::string LastError(const char* what) {
  return std::string(what) + " failed (error " + std::to_string(GetLastError()) + ")";
}

std::wstring DirectoryOf(const std::wstring& path) {
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace

std::optional<TargetProcess> TargetProcess::Start(const std::wstring& exe, const std::wstring& args,
                                                  const std::wstring& cwd, std::string* error) {
  const std::wstring path = WindowsPath(exe);
  std::wstring command = L"\"" + path + L"\"";
  if (!args.empty()) command += L" " + args;
  std::wstring dir = cwd.empty() ? DirectoryOf(path) : WindowsPath(cwd);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      dir.empty() ? nullptr : dir.c_str(), &si, &pi)) {
    if (error) *error = LastError("starting the program");
    return std::nullopt;
  }
  CloseHandle(pi.hThread);
  // Let the program reach its message loop before the first step looks for windows.
  WaitForInputIdle(pi.hProcess, 10000);
  return TargetProcess(UniqueKernelHandle(pi.hProcess), pi.dwProcessId, true);
}

std::optional<TargetProcess> TargetProcess::Attach(DWORD pid, std::string* error) {
  HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_OPERATION |
                             PROCESS_VM_READ | PROCESS_VM_WRITE,
                         FALSE, pid);
  if (!h) {
    if (error) *error = LastError("opening the process");
    return std::nullopt;
  }
  return TargetProcess(UniqueKernelHandle(h), pid, false);
}

TargetProcess::~TargetProcess() {
  if (process_ && started_here_ && Running()) {
    TerminateProcess(process_.get(), 0xDEAD);
    WaitForSingleObject(process_.get(), 5000);
  }
}

bool TargetProcess::Running() const {
  return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> TargetProcess::WaitExit(DWORD timeoutMs) const {
  if (!process_ || WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  if (!GetExitCodeProcess(process_.get(), &code)) return std::nullopt;
  return code;
}

bool TargetProcess::Terminate(UINT exitCode) {
  if (!started_here_ || !Running()) return false;
  TerminateProcess(process_.get(), exitCode);
  return WaitForSingleObject(process_.get(), 5000) == WAIT_OBJECT_0;
}

std::vector<HWND> TargetProcess::TopLevelWindows() const {
  struct Search {
    DWORD pid;
    std::vector<HWND> found;
  } search{pid_, {}};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == s->pid) s->found.push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace lq::driver

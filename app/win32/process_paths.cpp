// The snapshot functions come from the program's declared-function table; the entry walks use the
// wide-character functions, so that names and paths arrive as UTF-16 and are converted to GBK with
// code page 936 on a Windows of any language.
#include "app/win32/process_paths.h"

#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include "runtime/errors/win32/declared_call.h"
#include "runtime/platform/win32/wide_text.h"

namespace lq {
namespace {

// A Tool Help snapshot, closed through the declared CloseHandle.
class Snapshot {
 public:
  explicit Snapshot(HANDLE h) : h_(h) {}
  Snapshot(const Snapshot&) = delete;
  Snapshot& operator=(const Snapshot&) = delete;
  ~Snapshot() {
    if (valid()) {
      CallDeclared<decltype(&::CloseHandle)>(DeclaredFunctionId::kCloseSnapshotHandle, h_);
    }
  }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

}  // namespace

Text OwnExecutableName() {
  const DWORD self =
      CallDeclared<decltype(&::GetCurrentProcessId)>(DeclaredFunctionId::kGetCurrentProcessId);
  const Snapshot snapshot(CallDeclared<decltype(&::CreateToolhelp32Snapshot)>(
      DeclaredFunctionId::kCreateToolhelp32Snapshot, TH32CS_SNAPPROCESS, 0));
  if (!snapshot.valid()) return Text();
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  // The walk starts with the next-entry call: on a fresh snapshot it gives the first entry.
  while (Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == self) return Text(WideToGbk(entry.szExeFile));
    entry.dwSize = sizeof(entry);
  }
  return Text();
}

Text ModuleExecutablePath(std::uint32_t processId) {
  const Snapshot snapshot(CallDeclared<decltype(&::CreateToolhelp32Snapshot)>(
      DeclaredFunctionId::kCreateModuleSnapshot, TH32CS_SNAPMODULE, processId));
  if (!snapshot.valid()) return Text();
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  // When the call fails the record stays zero and the path empty.
  Module32FirstW(snapshot.get(), &entry);
  return Text(WideToGbk(entry.szExePath));
}

}  // namespace lq

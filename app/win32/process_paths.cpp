// The snapshots are taken and closed through the program's declared functions; the entries are read
// by the wide-character walk functions, called directly in routines of their own, so that names
// and paths arrive as UTF-16 and are converted to GBK with code page 936 on a Windows of any
// language (the declared walk functions are the ANSI ones, which would give the system's page).
#include "app/win32/process_paths.h"

#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include "runtime/binding/win32/declared_call.h"
#include "runtime/platform/code_pages.h"
#include "runtime/platform/unique_handle.h"
#include "runtime/system/win32/process_walk.h"

namespace lq {
namespace {

// The path of the snapshot's first module; when the call fails the record stays zero and the path
// empty.
Text FirstModulePath(HANDLE snapshot) {
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  Module32FirstW(snapshot, &entry);
  return Text(WideToGbk(entry.szExePath));
}

}  // namespace

Text OwnExecutableName() {
  const DWORD self =
      CallDeclared<decltype(&::GetCurrentProcessId)>(DeclaredFunctionId::kGetCurrentProcessId);
  const UniqueKernelHandleClosedBy<&LookUpDeclared<DeclaredFunctionId::kCloseSnapshotHandle>>
      snapshot(CallDeclared<decltype(&::CreateToolhelp32Snapshot)>(
          DeclaredFunctionId::kCreateToolhelp32Snapshot, TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return Text();
  // The walk calls the next-entry function from the start.
  Text name;
  WalkProcesses(snapshot.get(), FirstProcessEntry::kByNext, [&](const PROCESSENTRY32W& entry) {
    if (entry.th32ProcessID != self) return true;
    name = Text(WideToGbk(entry.szExeFile));
    return false;
  });
  return name;
}

Text ModuleExecutablePath(std::uint32_t processId) {
  const UniqueKernelHandleClosedBy<&LookUpDeclared<DeclaredFunctionId::kCloseSnapshotHandle>>
      snapshot(CallDeclared<decltype(&::CreateToolhelp32Snapshot)>(
          DeclaredFunctionId::kCreateModuleSnapshot, TH32CS_SNAPMODULE, processId));
  if (!snapshot) return Text();
  return FirstModulePath(snapshot.get());
}

}  // namespace lq

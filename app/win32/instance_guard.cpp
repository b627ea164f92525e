// The mutex is waited on, released and closed through the program's declared functions. It is
// created by the wide-character call, directly, in a routine of its own: the name goes through code
// page 936, so that copies find each other on a Windows of any language (the declared creating
// function is the ANSI one, which would read the name in the system's page).
#include "app/win32/instance_guard.h"

#include <windows.h>

#include <string>

#include "runtime/binding/win32/declared_call.h"
#include "runtime/errors/program_end.h"
#include "runtime/platform/code_pages.h"
#include "runtime/platform/unique_handle.h"
#include "runtime/system/win32/message_box.h"

namespace lq {
namespace {

// A mutex owned from its creation; an empty name makes an unnamed one that no other copy finds.
HANDLE CreateGuardMutex(const Text& name) {
  SECURITY_ATTRIBUTES attributes{};  // length, descriptor and inheritance all zero
  attributes.nLength = 0;
  const std::wstring wideName = GbkToWide(name.view());
  return CreateMutexW(&attributes, TRUE, name.empty() ? nullptr : wideName.c_str());
}

}  // namespace

void GuardSingleInstance(const Text& name) {
  UniqueKernelHandleClosedBy<&LookUpDeclared<DeclaredFunctionId::kCloseMutexHandle>> guard(
      CreateGuardMutex(name));
  if (!guard) return;
  const DWORD waited = CallDeclared<decltype(&::WaitForSingleObject)>(
      DeclaredFunctionId::kWaitForSingleObject, guard.get(), kGuardWaitMilliseconds);
  if (waited != WAIT_TIMEOUT) {
    // Ours, taken over from an abandoned copy, or failed: held, never closed, until the process
    // ends.
    guard.release();
    return;
  }
  // Another copy owns it: let go of it.
  CallDeclared<decltype(&::ReleaseMutex)>(DeclaredFunctionId::kReleaseMutex, guard.get());
  guard.Reset();
  ShowMessageBox(kAlreadyRunningMessage, MB_ICONINFORMATION, kAlreadyRunningCaption);
  EndProgram(0);
}

}  // namespace lq

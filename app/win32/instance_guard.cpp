#include "app/win32/instance_guard.h"

#include <windows.h>

#include <string>

#include "runtime/errors/program_end.h"
#include "runtime/errors/win32/declared_call.h"
#include "runtime/platform/win32/wide_text.h"
#include "runtime/system/message_box.h"

namespace lq {
namespace {

// The guard of this process: owned from its creation until the process ends.
class GuardMutex {
 public:
  GuardMutex() = default;
  GuardMutex(const GuardMutex&) = delete;
  GuardMutex& operator=(const GuardMutex&) = delete;
  ~GuardMutex() { Close(); }
  void Reset(HANDLE h) {
    Close();
    h_ = h;
  }
  HANDLE get() const { return h_; }
  // Lets go of the mutex another copy owns.
  void ReleaseAndClose() {
    CallDeclared<decltype(&::ReleaseMutex)>(DeclaredFunctionId::kReleaseMutex, h_);
    Close();
  }

 private:
  void Close() {
    if (h_ != nullptr) {
      CallDeclared<decltype(&::CloseHandle)>(DeclaredFunctionId::kCloseMutexHandle, h_);
      h_ = nullptr;
    }
  }
  HANDLE h_ = nullptr;
};

GuardMutex& HeldGuard() {
  static GuardMutex guard;
  return guard;
}

}  // namespace

void GuardSingleInstance(const Text& name) {
  SECURITY_ATTRIBUTES attributes{};  // length, descriptor and inheritance all zero
  attributes.nLength = 0;
  // The name through code page 936, so that copies find each other on a Windows of any language.
  const std::wstring wideName = GbkToWide(name.view());
  GuardMutex& guard = HeldGuard();
  guard.Reset(CreateMutexW(&attributes, TRUE, name.empty() ? nullptr : wideName.c_str()));
  if (guard.get() == nullptr) return;
  const DWORD waited = CallDeclared<decltype(&::WaitForSingleObject)>(
      DeclaredFunctionId::kWaitForSingleObject, guard.get(), kGuardWaitMilliseconds);
  if (waited != WAIT_TIMEOUT) return;  // ours, taken over from an abandoned copy, or failed
  guard.ReleaseAndClose();
  ShowMessageBox(kAlreadyRunningMessage, MB_ICONINFORMATION, kAlreadyRunningCaption);
  EndProgram(0);
}

}  // namespace lq

// Worker threads on Windows: started with the program's declared CreateThread, their handles let
// go at once. Not a detached std::thread: under Wine a thread of the MinGW threads library that is
// detached right after it was created now and then never starts (measured: one in a few hundred to
// a few thousand), and its work would never run.
#include <windows.h>

#include <memory>
#include <new>

#include "runtime/binding/win32/declared_call.h"
#include "runtime/forms/gui_queue.h"
#include "runtime/platform/unique_handle.h"

namespace lq {
namespace {

DWORD WINAPI RunWork(void* parameter) {
  const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
  try {
    (*work)();
  } catch (...) {
    // Nothing leaves a thread's start routine.
  }
  return 0;
}

}  // namespace

bool StartWorkerThread(std::function<void()> work) {
  auto* parameter = new (std::nothrow) std::function<void()>(std::move(work));
  if (parameter == nullptr) {
    return false;
  }
  DWORD id = 0;
  const HANDLE thread = CallDeclared<decltype(&::CreateThread)>(
      DeclaredFunctionId::kCreateThread, nullptr, 0, &RunWork, parameter, 0, &id);
  if (thread == nullptr) {
    delete parameter;
    return false;
  }
  UniqueKernelHandle{thread};  // the thread runs on without its handle
  return true;
}

}  // namespace lq

#include "runtime/forms/win32/forms_runtime.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "runtime/errors/program_end.h"
#include "runtime/forms/forms_messages.h"
#include "runtime/forms/forms_registry.h"
#include "runtime/forms/gui_queue.h"
#include "runtime/forms/win32/form_window.h"
#include "runtime/forms/win32/window_commands.h"
#include "runtime/forms/win32/windows_ui.h"

namespace lq {
namespace {

constexpr wchar_t kOwnerClass[] = L"LQOwner";

std::atomic<HWND> g_owner{nullptr};
std::atomic<TrayNotifier> g_tray_notifier{nullptr};
bool g_ole = false;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kEndProgramMessage:
      EndProgram(static_cast<int>(static_cast<INT_PTR>(wParam)));
    case kGuiWorkMessage:
      RunGuiJobs();
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

HWND CreateOwnerWindow() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &OwnerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kOwnerClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
  // Message-only: never shown, never enumerated, and no broadcast of another program reaches it.
  return CreateWindowExW(0, kOwnerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

void SetProgramFolderAsCurrent() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return;
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const auto slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return;
  path.resize(slash + 1);
  SetCurrentDirectoryW(path.c_str());
}

// A job is waiting in the GUI queue: the owner window's procedure runs the queue. Once the owner
// window is gone (the program is ending) jobs stay queued and their callers wait for the end.
void WakeGuiThread() {
  if (HWND owner = g_owner.load()) PostMessageW(owner, kGuiWorkMessage, 0, 0);
}

bool ForwardEndToGuiThread(int exitCode) {
  HWND owner = g_owner.load();
  if (!owner) return false;
  SendMessageW(owner, kEndProgramMessage, static_cast<WPARAM>(exitCode), 0);
  return true;
}

void DestroyProgramWindows() {
  // Destroying a window destroys the windows it owns: take the handles first.
  std::vector<HWND> windows;
  for (FormWindow* w : LoadedFormWindows()) windows.push_back(w->hwnd());
  for (HWND hwnd : windows) {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  }
}

void DestroyOwnerWindow() {
  if (HWND owner = g_owner.exchange(nullptr)) DestroyWindow(owner);
}

void ShutDownOle() {
  if (g_ole) OleUninitialize();
  g_ole = false;
}

}  // namespace

void StartFormsRuntime(std::span<const WindowTemplate> windows) {
  if (!g_ole) g_ole = SUCCEEDED(OleInitialize(nullptr));
  SetProgramFolderAsCurrent();
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  FormWindow::RegisterClasses();
  if (!g_owner.load()) g_owner = CreateOwnerWindow();

  SetGuiThread(std::this_thread::get_id());
  SetGuiWaker(&WakeGuiThread);
  SetEndProgramForwarder(&ForwardEndToGuiThread);
  AddEndHook(EndStage::kNotifyLibraries, &DestroyProgramWindows);
  AddEndHook(EndStage::kReleaseObjects, &DestroyOwnerWindow);
  AddEndHook(EndStage::kShutDownPlatform, &ShutDownOle);

  ReadWindowTemplates(windows);
}

int RunFormsProgram(std::span<const WindowTemplate> windows, int (*startProgram)()) {
  StartFormsRuntime(windows);
  const int exit_code = startProgram();
  RunEndSteps();
  return exit_code;
}

void LoadStartupWindow(WindowId window) {
  if (!LoadWindow(window, 0, false)) FormsFatal(forms_messages::kStartupWindowFailed);
}

void DispatchProgramMessage(MSG& message) {
  HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (root && FormWindow::FromHandle(root) && IsDialogMessageW(root, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

namespace {

template <class Condition>
void LoopWhile(Condition condition) {
  MSG message;
  while (condition()) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));  // for the outer loops
      return;
    }
    DispatchProgramMessage(message);
  }
}

}  // namespace

void RunMessageLoop() {
  LoopWhile([] { return AnyProgramWindow(); });
}

void RunMessageLoopWhile(const std::shared_ptr<const bool>& alive) {
  LoopWhile([&] { return *alive; });
}

void WakeMessageLoops() {
  if (HWND owner = g_owner.load()) PostMessageW(owner, WM_NULL, 0, 0);
}

bool AnyProgramWindow() { return !LoadedFormWindows().empty(); }

HWND OwnerWindow() { return g_owner.load(); }

HWND WindowHandle(WindowId window) {
  FormWindow* w = LoadedFormWindow(window);
  return w ? w->hwnd() : nullptr;
}

HWND UnitHandle(WindowId window, UnitId unit) {
  FormWindow* w = LoadedFormWindow(window);
  if (!w) return nullptr;
  const UnitState* state = w->Model().Find(unit);
  if (!state) return nullptr;
  return state->kind() == UnitKind::kWindow ? w->hwnd() : w->ControlHandle(state->id());
}

TrayNotifier SetTrayNotifier(TrayNotifier notifier) { return g_tray_notifier.exchange(notifier); }

bool TrayNotify(DWORD message, NOTIFYICONDATAW* data) {
  TrayNotifier notifier = g_tray_notifier.load();
  return (notifier ? notifier : &Shell_NotifyIconW)(message, data) != FALSE;
}

void StopFormsRuntime() {
  DestroyProgramWindows();
  DestroyOwnerWindow();
  ForgetWindowTemplates();
  SetGuiWaker(nullptr);
  DropGuiJobs();
  SetEndProgramForwarder(nullptr);
  ShutDownOle();
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) break;
    DispatchMessageW(&message);
  }
}

}  // namespace lq

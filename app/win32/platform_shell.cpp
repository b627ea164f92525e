#include "app/win32/platform_shell.h"

#include "app/win32/instance_guard.h"
#include "app/win32/process_paths.h"
#include "runtime/forms/win32/window_commands.h"
#include "runtime/system/folder_paths.h"
#include "runtime/system/http_transfer.h"
#include "runtime/system/process_list.h"
#include "runtime/system/win32/message_box.h"
#include "web/http_request.h"

namespace lq {

std::vector<ProcessRecord> PlatformShell::Processes() { return ListProcesses(); }

Text PlatformShell::ModuleExecutablePath(std::uint32_t processId) {
  return lq::ModuleExecutablePath(processId);
}

Text PlatformShell::OwnExecutableName() { return lq::OwnExecutableName(); }

void PlatformShell::GuardSingleInstance(const Text& name) { lq::GuardSingleInstance(name); }

void PlatformShell::ShowMessage(const Text& text, std::uint32_t style, const Text& caption) {
  ShowMessageBox(text, style, caption);
}

Text PlatformShell::SpecialFolderPath(int number) { return lq::SpecialFolderPath(number); }

bool PlatformShell::OpenCommonDialog(WindowId window, UnitId dialog) {
  return lq::OpenCommonDialog(window, dialog);
}

ByteSet PlatformShell::FetchPage(const Text& url) { return HttpRequest(url, kSharePageLimits); }

void PlatformShell::SetTrayIcon(WindowId window, const ByteSet& icon, const Text& tip) {
  lq::SetTrayIcon(window, icon, tip);
}

void PlatformShell::ShowPopupMenu(WindowId window, UnitId entry) {
  lq::ShowPopupMenu(window, entry);
}

bool PlatformShell::LoadWindow(WindowId window, bool modal) {
  return lq::LoadWindow(window, 0, modal);
}

}  // namespace lq

// LOLQuillet.exe: the runtime starts, reads the program's windows and runs StartProgram.
#include <windows.h>

#include "app/game_directory.h"
#include "app/main_window.h"
#include "app/program_values.h"
#include "app/program_windows.h"
#include "app/win32/platform_shell.h"
#include "runtime/errors/program_end.h"
#include "runtime/forms/win32/forms_runtime.h"
#include "skins/installation_environment.h"

namespace lq {
namespace {

// Empties the program-wide values, registers their release, shows the main window and runs the
// message loop until the last window is gone.
int StartProgram() {
  ResetProgramValues();
  RegisterCleanup(&ReleaseProgramValues);
  LoadStartupWindow(kMainWindowId);
  RunMessageLoop();
  return 0;
}

}  // namespace
}  // namespace lq

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  static lq::PlatformShell shell;
  lq::SetShellSystem(&shell);
  // What every load works with, built once; installations take the directory that 自动获取 and
  // 手动获取 publish. Both live until the process ends: a worker may still use them then.
  static lq::InstallationEnvironment& env =
      *new lq::InstallationEnvironment(lq::SystemInstallationEnvironment());
  env.game_directory = &lq::GameDirectory;
  static lq::ProgramWindows& windows = *new lq::ProgramWindows(env);
  return lq::RunFormsProgram(windows.Templates(), &lq::StartProgram);
}

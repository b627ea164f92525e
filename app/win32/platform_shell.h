// The ShellSystem of the real program: the runtime's system and window commands.
#pragma once

#include "app/shell_system.h"

namespace lq {

class PlatformShell final : public ShellSystem {
 public:
  std::vector<ProcessRecord> Processes() override;
  Text ModuleExecutablePath(std::uint32_t processId) override;
  Text OwnExecutableName() override;
  void GuardSingleInstance(const Text& name) override;
  void ShowMessage(const Text& text, std::uint32_t style, const Text& caption) override;
  Text SpecialFolderPath(int number) override;
  bool OpenCommonDialog(WindowId window, UnitId dialog) override;
  ByteSet FetchPage(const Text& url) override;
  void SetTrayIcon(WindowId window, const ByteSet& icon, const Text& tip) override;
  void ShowPopupMenu(WindowId window, UnitId entry) override;
  bool LoadWindow(WindowId window, bool modal) override;
};

}  // namespace lq

// 修复 on the settings page: writes the game's stock archive list back into ClientZips.txt of the
// directory that 编辑框1 shows.
#include "app/main_window.h"
#include "app/shell_handlers.h"
#include "app/shell_system.h"
#include "runtime/forms/unit_properties.h"
#include "skins/installation.h"

namespace lq {

inline constexpr const char* kRepairedMessage = "修复成功";
inline constexpr const char* kRepairFailedMessage = "修复失败，请检查游戏目录。";

void RepairArchiveList(const InstallationEnvironment& env) {
  // The field, not GameDirectory: a failed search empties the field and keeps the old directory.
  const Text directory = ReadTextProperty(kMainWindowId, kDirectoryEdit, kEditContent);
  if (directory.empty()) {
    Shell().ShowMessage(kNoGameDirectoryMessage, 0, Text());
    return;
  }
  // ClientZips.txt of that directory, replaced whole or not at all, in turn with installations.
  const bool written = WriteStockArchiveList(env, directory);
  Shell().ShowMessage(written ? kRepairedMessage : kRepairFailedMessage, 0, Text());
}

}  // namespace lq

// 修复 on the settings page: writes the game's stock archive list back into ClientZips.txt of the
// directory that 编辑框1 shows.
#include "app/main_window.h"
#include "app/shell_handlers.h"
#include "app/shell_system.h"
#include "runtime/commands/text_commands.h"
#include "runtime/forms/unit_properties.h"
#include "skins/archive_list.h"

namespace lq {

inline constexpr const char* kNoDirectoryMessage = "请先获取游戏目录。";
inline constexpr const char* kRepairedMessage = "修复成功";
inline constexpr const char* kRepairFailedMessage = "修复失败，请检查游戏目录。";

void RepairArchiveList() {
  // The field, not GameDirectory: a failed search empties the field and keeps the old directory.
  const Text directory = ReadTextProperty(kMainWindowId, kDirectoryEdit, kEditContent);
  if (directory.empty()) {
    Shell().ShowMessage(kNoDirectoryMessage, 0, Text());
    return;
  }
  // The directory ends in a backslash, so the path holds two in a row, which Windows reads as one.
  const Text listPath = ConcatTexts(directory, "\\", Text(kArchiveListFileName));
  const bool written = Shell().WriteBytesToFile(listPath, StockArchiveListContent());
  Shell().ShowMessage(written ? kRepairedMessage : kRepairFailedMessage, 0, Text());
}

}  // namespace lq

// 自动获取 and 手动获取 on the settings page: find the game directory, show it in 编辑框1 and keep
// it in GameDirectory.
#include "app/game_directory.h"
#include "app/main_window.h"
#include "app/shell_handlers.h"
#include "app/shell_system.h"
#include "runtime/forms/unit_properties.h"
#include "skins/game_files.h"

namespace lq {
namespace {

void SetDirectoryField(const Text& text) {
  WriteTextProperty(kMainWindowId, kDirectoryEdit, kEditContent, text);
}
Text DirectoryField() { return ReadTextProperty(kMainWindowId, kDirectoryEdit, kEditContent); }

// Shows `path` in the field and derives from what the field holds. On success the field shows the
// directory and GameDirectory takes it; on failure the field is emptied and GameDirectory keeps
// its value.
bool TakePath(const InstallationEnvironment& env, const Text& path) {
  SetDirectoryField(path);
  const std::optional<Text> directory = DeriveGameDirectory(DirectoryField());
  if (!directory) {
    SetDirectoryField(Text());
    return false;
  }
  SetDirectoryField(*directory);
  PublishGameDirectory(DirectoryField());
  ResolveGameFolderLeftovers(env.open_folder, DirectoryField());
  return true;
}

}  // namespace

void DiscoverGameDirectory(const InstallationEnvironment& env) {
  SetDirectoryField(Text());
  bool anyClient = false;
  for (const ProcessRecord& process : Shell().Processes()) {
    if (process.exe_file != Text(kGameClientProcessName)) continue;
    anyClient = true;
    if (!TakePath(env, Shell().ModuleExecutablePath(process.process_id))) {
      Shell().ShowMessage(kDiscoveryFailedMessage, 0, Text());
    }
  }
  // No client running at all is the case the message's own words name first.
  if (!anyClient) Shell().ShowMessage(kDiscoveryFailedMessage, 0, Text());
}

void PickGameDirectory(const InstallationEnvironment& env) {
  WriteTextProperty(kMainWindowId, kFileDialog, kDialogInitialDir,
                    Shell().SpecialFolderPath(kDesktopFolder));
  WriteTextProperty(kMainWindowId, kFileDialog, kDialogFilter, kProgramFileFilter);
  Shell().OpenCommonDialog(kMainWindowId, kFileDialog);
  // After a cancel the property still holds the earlier choice (empty the first time).
  const Text chosen = ReadTextProperty(kMainWindowId, kFileDialog, kDialogFileName);
  if (!TakePath(env, chosen)) Shell().ShowMessage(kPickFailedMessage, 0, Text());
}

}  // namespace lq

// Installation of a skin package: the package is downloaded, checked to be a zip archive, stored
// in the game's Game directory as the skin's name followed by ".zip", and ClientZips.txt is
// rewritten to name the stock archives and this package. The load button's caption tells the
// progress; a message tells the outcome; a successful installation closes the skin window.
//
// Soundness rules of this implementation:
// - An installation works on copies of its inputs (the slot's package URL and name, the game
//   directory) taken when it starts; what happens to the slot or the game directory later does not
//   reach it.
// - Without a game directory it refuses and writes nothing.
// - Only a download with status 200 whose bytes are a zip archive is a package. Anything else
//   writes nothing and changes nothing, and is reported as a failure, never as "载入成功".
// - Both files are replaced atomically (temporary file beside the target, on the disk, then moved
//   over it), the list only once its package is in place; when the list cannot be replaced, the
//   package file is put back as it was.
// - The file steps of concurrent installations take turns, so ClientZips.txt always names the
//   package of the installation that finished last, and that package is whole.
#pragma once

#include <functional>
#include <string_view>

#include "runtime/commands/values.h"

namespace lq {

inline constexpr const char* kDownloadingCaption = "正在下载";
inline constexpr const char* kWritingCaption = "正在写入";
inline constexpr const char* kIdleCaption = "载入";

inline constexpr const char* kInstalledMessage = "载入成功";
inline constexpr const char* kNoGameDirectoryMessage = "请先获取游戏目录。";
inline constexpr const char* kDownloadFailedMessage = "载入失败，请稍后再试。";
inline constexpr const char* kWriteFailedMessage = "载入失败，无法写入游戏目录。";

// What one installation works with, copied when it starts.
struct InstallationInputs {
  Text package_url;
  Text name;            // the package's file name without ".zip"
  Text game_directory;  // "...\英雄联盟\Game\"
};

enum class InstallationResult {
  kInstalled,
  kNoGameDirectory,  // refused: nothing written
  kNoPackage,        // the download brought no zip archive (or the slot was empty): nothing written
  kWriteFailed,      // the files could not be replaced: both stay as they were
};

// The message the user is shown for a result (GBK).
std::string_view InstallationMessage(InstallationResult result);

// The file steps, without any window: download, check, store the package, rewrite the list.
// `writing` is called once the package has arrived and been checked, before the files in the game
// directory change. Safe to run on several threads at once.
InstallationResult InstallSkinPackage(const InstallationInputs& inputs,
                                      const std::function<void()>& writing = {});

// What the user sees of one installation. The skin window may be gone by the time any of these
// is called; the implementation then does nothing for the caption and the close.
class InstallationView {
 public:
  virtual ~InstallationView() = default;
  virtual void SetCaption(std::string_view gbk_caption) = 0;
  // Waits until the user has dismissed the message.
  virtual void ShowMessage(std::string_view gbk_message) = 0;
  virtual void CloseWindow() = 0;
};

// A whole installation: "正在下载", the file steps ("正在写入" once the package is checked), the
// message, "载入" again, and on success the close of the skin window. A refused installation
// only shows its message.
InstallationResult RunInstallation(const InstallationInputs& inputs, InstallationView& view);

}  // namespace lq

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
// - Only a download with status 200 whose bytes are a whole zip archive (every entry inflates to
//   its CRC-32) is a package. The bytes go into a staged file in the Game folder as they arrive,
//   so memory stays flat whatever the package's size. Anything else changes nothing and is
//   reported as a failure, never as "载入成功".
// - A package is checked against the disk before its first byte is written: one whose announced
//   length (with room for the list) does not fit the Game folder's volume fails at once, as does
//   one that fills the volume on its way; one whose length is not announced may grow to 4 GiB.
// - A transfer that breaks or stalls after some bytes goes on from there (Range and If-Range) at
//   most twice in one installation; a host that sends the whole package again starts it again.
// - A package file that an installation wrote is remembered (package_store.h) with its address,
//   the host's validators and the file's identity. The next installation of that address asks
//   the host whether the package changed; when it did not, or no host can be reached, the file
//   in place is the package, if it is still the file written and passes the zip check again:
//   only the list is written. A changed or damaged file is never used.
// - Both files are replaced atomically (game_files.h), the list only once its package is in
//   place; when the list cannot be replaced, the package file is put back as it was. When even
//   that fails, the message says so and sends the user to 修复.
// - The file steps of installations and repairs take turns, so ClientZips.txt always names the
//   package of the installation that finished last, and that package is whole.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/commands/values.h"
#include "runtime/system/http_transfer.h"
#include "skins/installation_environment.h"

namespace lq {

inline constexpr const char* kDownloadingCaption = "正在下载";
inline constexpr const char* kWritingCaption = "正在写入";
inline constexpr const char* kIdleCaption = "载入";

inline constexpr const char* kInstalledMessage = "载入成功";
inline constexpr const char* kNoGameDirectoryMessage = "请先获取游戏目录。";
inline constexpr const char* kDownloadFailedMessage = "载入失败，请稍后再试。";
inline constexpr const char* kWriteFailedMessage = "载入失败，无法写入游戏目录。";
inline constexpr const char* kNoSpaceMessage = "载入失败，磁盘空间不足。";
inline constexpr const char* kNotRestoredMessage =
    "载入失败，原来的皮肤文件未能恢复，请到设置页修复。";

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
  kNoSpace,          // the package does not fit on the Game folder's volume: nothing changed
  kNotRestored,      // the files could not be replaced, nor the package put back as it was
};

// The message the user is shown for a result (GBK).
std::string_view InstallationMessage(InstallationResult result);

// The captions an installation shows while it runs, in order: "正在下载", then its progress
// ("正在下载 37%" when the package's length is known, the megabytes received otherwise, e.g.
// "正在下载 12.3MB"), each only when its text changes; "正在写入" once the package has arrived and
// been checked, before the files in the game directory change.
using CaptionSink = std::function<void(std::string_view gbk_caption)>;

// The caption for `received` bytes of a package of `length` bytes (or of unknown length).
std::string DownloadCaption(std::uint64_t received, std::optional<std::uint64_t> length);

// The file steps, without any window: download into a staged file, check, store the package,
// rewrite the list, through the environment's folder and downloader. Safe to run on several
// threads at once.
InstallationResult InstallSkinPackage(const InstallationEnvironment& env,
                                      const InstallationInputs& inputs,
                                      const CaptionSink& caption = {});

// The repair's file step: the stock list written into ClientZips.txt of `directory` (opened
// through the environment's folder, as installations open it) through the same staged replace
// and the same turns as installations. False, with the list as it was, when it cannot be written.
bool WriteStockArchiveList(const InstallationEnvironment& env, const Text& directory);

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

// A whole installation: its captions, the message, "载入" again, and on success the close of the
// skin window. A refused installation only shows its message.
InstallationResult RunInstallation(const InstallationEnvironment& env,
                                   const InstallationInputs& inputs, InstallationView& view);

}  // namespace lq

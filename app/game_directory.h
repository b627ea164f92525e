// The game's Game directory: how it is derived from a program path inside the game's install
// folder, and the program-wide value that holds the last one found.
#pragma once

#include <memory>
#include <optional>

#include "runtime/commands/values.h"

namespace lq {

inline constexpr const char* kGameClientProcessName = "LolClient.exe";
inline constexpr const char* kGameFolderMarker = "\\英雄联盟\\";
inline constexpr const char* kGameSubdirSuffix = "\\英雄联盟\\Game\\";
// Bytes removed from the marker onward: more than any path the system returns, so the whole tail.
inline constexpr std::int32_t kReplacedTailLength = 999;

inline constexpr const char* kDiscoveryFailedMessage = "未运行游戏,或读取失败,请手动获取。";
inline constexpr const char* kPickFailedMessage =
    "这不是英雄联盟目录哦，请在英雄联盟游戏目录内随便选择个程序。";
inline constexpr const char* kProgramFileFilter = "LOL游戏程序（*.exe）|*.exe|所有文件（*.*）|*.*";
inline constexpr int kDesktopFolder = 3;  // SpecialFolderPath number of the desktop directory

// Everything before the first "\英雄联盟\" of `path`, followed by "\英雄联盟\Game\"; nothing when
// the path holds no such folder (the marker needs a backslash on both sides).
std::optional<Text> DeriveGameDirectory(const Text& path);

// GameDirectory: empty at start, replaced on each successful discovery or pick. A reader (the
// installation threads) keeps the value it took for as long as it holds it, whatever is
// published meanwhile. Never null.
std::shared_ptr<const Text> GameDirectory();
void PublishGameDirectory(Text directory);

}  // namespace lq

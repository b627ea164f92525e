// The Game folder on the Windows file system: names become UTF-16 paths through code page 936,
// so a Chinese file name is right on a Windows of any language.
#pragma once

#include <memory>

#include "runtime/commands/values.h"
#include "skins/game_folder.h"

namespace lq {

// The folder `directory` (GBK; a backslash is put before a name unless the directory ends with
// one). The folder need not exist: operations in a missing folder fail.
std::unique_ptr<GameFolder> OpenWin32GameFolder(const Text& directory);

}  // namespace lq

#include "skins/game_folder.h"

#include <atomic>

#ifdef _WIN32
#include "skins/win32/game_folder_win32.h"
#endif

namespace lq {
namespace {

std::atomic<GameFolderOpener> g_opener{nullptr};

}  // namespace

std::unique_ptr<GameFolder> OpenGameFolder(const Text& directory) {
  if (GameFolderOpener opener = g_opener.load()) {
    return opener(directory);
  }
#ifdef _WIN32
  return OpenWin32GameFolder(directory);
#else
  return nullptr;
#endif
}

GameFolderOpener SetGameFolderOpener(GameFolderOpener opener) { return g_opener.exchange(opener); }

}  // namespace lq

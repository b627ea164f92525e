#include "skins/game_folder.h"

#include <atomic>

namespace lq {
namespace {

std::atomic<GameFolderOpener> g_opener{nullptr};

}  // namespace

std::unique_ptr<GameFolder> OpenGameFolder(const Text& directory) {
  if (GameFolderOpener opener = g_opener.load()) {
    return opener(directory);
  }
  return OpenSystemGameFolder(directory);
}

GameFolderOpener SetGameFolderOpener(GameFolderOpener opener) { return g_opener.exchange(opener); }

}  // namespace lq

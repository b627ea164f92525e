// Installations outside Windows (the native test build): no folder and no host of their own;
// tests install the folder and the downloader they use.
#include "skins/game_folder.h"
#include "skins/installation.h"

namespace lq {

std::unique_ptr<GameFolder> OpenSystemGameFolder(const Text& /*directory*/) { return nullptr; }

TransferEnd DownloadPackageFromHost(const Text& /*url*/, BodySink& /*sink*/) {
  return TransferEnd::kNoResponse;
}

}  // namespace lq

// What installations use when nobody installed anything else: the real Game folder and the
// download host over the shared session, with the package bounds.
#include "runtime/system/http_transfer.h"
#include "skins/game_folder.h"
#include "skins/installation.h"
#include "skins/win32/game_folder_win32.h"

namespace lq {

std::unique_ptr<GameFolder> OpenSystemGameFolder(const Text& directory) {
  return OpenWin32GameFolder(directory);
}

TransferEnd DownloadPackageFromHost(const Text& url, BodySink& sink) {
  return HttpDownload(url, kPackageLimits, sink);
}

}  // namespace lq

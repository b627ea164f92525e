// The program's environment on Windows: the real Game folder, previews and packages from the
// download host within their bounds, the GUI queue, worker threads, message boxes without owner
// and the posted close of the skin window.
#include <memory>
#include <utility>

#include "runtime/forms/gui_queue.h"
#include "runtime/forms/win32/window_commands.h"
#include "runtime/system/http_read.h"
#include "runtime/system/http_transfer.h"
#include "runtime/system/win32/message_box.h"
#include "skins/installation.h"
#include "skins/installation_environment.h"
#include "skins/package_store.h"
#include "skins/skin_window.h"
#include "skins/user_folder.h"
#include "skins/win32/game_folder_win32.h"

namespace lq {
namespace {

constexpr std::string_view kPackageStoreFile = "packages.txt";
constexpr std::uint64_t kPackageStoreMaxBytes = 1u << 20;

// A GET of a preview within the previews' bounds, with the conditions of a kept copy.
HttpReadResult AskForPreview(const Text& url, const RequestConditions& conditions) {
  return HttpReadWithStatus(url, kPreviewLimits, conditions);
}

}  // namespace

InstallationEnvironment SystemInstallationEnvironment() {
  InstallationEnvironment env;
  env.open_folder = &OpenWin32GameFolder;
  env.download = [](const Text& url, const RequestConditions& conditions, BodySink& sink) {
    return HttpDownload(url, kPackageLimits, sink, conditions);
  };
  // The packages written before, remembered in the user's own folder.
  std::shared_ptr<UserFolder> user = OpenProgramUserFolder("");
  env.packages = std::make_shared<PackageStore>(
      [user]() -> std::optional<std::string> {
        std::optional<ByteSet> bytes = user->Read(kPackageStoreFile, kPackageStoreMaxBytes);
        return bytes ? std::optional<std::string>(bytes->view()) : std::nullopt;
      },
      [user](std::string_view bytes) {
        return user->Write(kPackageStoreFile,
                           {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
      });
  // The previews seen before, kept in the user's own folder.
  env.fetch_preview = {&AskForPreview,
                       std::make_shared<PreviewCache>(OpenProgramUserFolder("previews"))};
  env.post_to_gui = [](std::function<void()> job) { PostToGuiThread(std::move(job)); };
  env.start_thread = [](std::function<void()> job) { return StartWorkerThread(std::move(job)); };
  env.show_message = [](std::string_view gbk_message) { ShowMessageBox(Text(gbk_message), 0); };
  env.close_skin_window = [] { CloseProgramWindow(kSkinWindowId); };
  // An installation runs in the environment without this entry: it starts no other.
  env.start_installation = [base = env](InstallationInputs inputs,
                                        std::unique_ptr<InstallationView> view) {
    std::shared_ptr<InstallationView> shared_view = std::move(view);
    StartWorkerThread([base, inputs = std::move(inputs), view = std::move(shared_view)] {
      try {
        RunInstallation(base, inputs, *view);
      } catch (...) {
        view->SetCaption(kIdleCaption);
      }
    });
  };
  return env;
}

}  // namespace lq

// The skin window's services on Windows: previews from the download host within their bounds,
// worker threads, message boxes without owner and the posted close of the window.
#include <memory>
#include <utility>

#include "runtime/forms/gui_queue.h"
#include "runtime/forms/win32/window_commands.h"
#include "runtime/system/http_read.h"
#include "runtime/system/http_transfer.h"
#include "runtime/system/win32/message_box.h"
#include "skins/skin_window.h"
#include "skins/skin_window_actions.h"

namespace lq {
namespace {

constexpr int kHttpOk = 200;

class PlatformServices final : public SkinWindowServices {
 public:
  ByteSet FetchPreview(const Text& url) override {
    HttpReadResult result = HttpReadWithStatus(url, kPreviewLimits);
    // Past its deadline or its cap a preview fails as a whole: its box stays blank.
    const bool bounded =
        result.end != TransferEnd::kTimedOut && result.end != TransferEnd::kTooLarge;
    return result.status == kHttpOk && bounded ? std::move(result.body) : ByteSet();
  }

  bool RunInBackground(std::function<void()> work) override {
    return StartWorkerThread(std::move(work));
  }

  void StartInstallation(InstallationInputs inputs,
                         std::unique_ptr<InstallationView> view) override {
    std::shared_ptr<InstallationView> shared_view = std::move(view);
    StartWorkerThread([inputs = std::move(inputs), view = std::move(shared_view)] {
      try {
        RunInstallation(inputs, *view);
      } catch (...) {
        view->SetCaption(kIdleCaption);
      }
    });
  }

  void ShowMessage(std::string_view gbk_message) override { ShowMessageBox(Text(gbk_message), 0); }

  void CloseSkinWindow() override { CloseProgramWindow(kSkinWindowId); }
};

}  // namespace

SkinWindowServices* SystemSkinWindowServices() {
  static PlatformServices platform;
  return &platform;
}

}  // namespace lq

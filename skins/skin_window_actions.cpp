#include "skins/skin_window_actions.h"

#include <atomic>
#include <utility>

#include "runtime/forms/forms_registry.h"
#include "runtime/forms/property_table.h"
#include "runtime/forms/unit_properties.h"
#include "skins/skin_slots.h"
#include "skins/skin_window.h"

#ifdef _WIN32
#include <system_error>
#include <thread>

#include "runtime/forms/win32/window_commands.h"
#include "runtime/system/http_read.h"
#include "runtime/system/message_box.h"
#endif

namespace lq {
namespace {

constexpr int kHttpOk = 200;

std::atomic<GameDirectoryReader> g_game_directory{nullptr};
std::atomic<SkinWindowServices*> g_services{nullptr};

// Which opening of the skin window is the current one: counted by its created event, read and
// written on the GUI thread only.
std::uint64_t g_window_instance = 0;

#ifdef _WIN32
class PlatformServices final : public SkinWindowServices {
 public:
  ByteSet FetchPreview(const Text& url) override {
    HttpReadResult result = HttpReadWithStatus(url);
    return result.status == kHttpOk ? std::move(result.body) : ByteSet();
  }

  void StartInstallation(InstallationInputs inputs,
                         std::unique_ptr<InstallationView> view) override {
    try {
      std::thread([inputs = std::move(inputs), view = std::move(view)] {
        // Nothing may leave the thread's start routine.
        try {
          RunInstallation(inputs, *view);
        } catch (...) {
          try {
            view->SetCaption(kIdleCaption);
          } catch (...) {
          }
        }
      }).detach();
    } catch (const std::system_error&) {
      // No thread could be started: the click has no effect.
    }
  }

  void ShowMessage(std::string_view gbk_message) override { ShowMessageBox(Text(gbk_message), 0); }

  void CloseSkinWindow() override { CloseProgramWindow(kSkinWindowId); }
};
#endif

SkinWindowServices* Services() {
  if (SkinWindowServices* s = g_services.load()) {
    return s;
  }
#ifdef _WIN32
  static PlatformServices platform;
  return &platform;
#else
  return nullptr;
#endif
}

void StartSlotInstallation(int slot) {
  SkinWindowServices* services = Services();
  if (services == nullptr) {
    return;
  }
  services->StartInstallation(TakeInstallationInputs(slot),
                              std::make_unique<SkinWindowInstallationView>(slot));
}

}  // namespace

std::uint32_t LoadButtonOfSlot(int slot) {
  switch (slot) {
    case 1:
      return kLoadButton1;
    case 2:
      return kLoadButton2;
    default:
      return kLoadButton3;
  }
}

std::uint32_t PreviewBoxOfSlot(int slot) {
  switch (slot) {
    case 1:
      return kPreviewBox1;
    case 2:
      return kPreviewBox2;
    default:
      return kPreviewBox3;
  }
}

void SetGameDirectoryReader(GameDirectoryReader reader) { g_game_directory = reader; }

SkinWindowServices* SetSkinWindowServices(SkinWindowServices* services) {
  return g_services.exchange(services);
}

InstallationInputs TakeInstallationInputs(int slot) {
  const std::shared_ptr<const SkinRecord> record = ProgramSkinSlot(slot).Read();
  InstallationInputs inputs{record->package_url, record->name, Text()};
  if (GameDirectoryReader reader = g_game_directory.load()) {
    if (std::shared_ptr<const Text> directory = reader()) {
      inputs.game_directory = *directory;
    }
  }
  return inputs;
}

void SkinWindowCreated() {
  ++g_window_instance;
  SkinWindowServices* services = Services();
  for (int slot = 1; slot <= kSkinSlotCount; ++slot) {
    const std::shared_ptr<const SkinRecord> record = ProgramSkinSlot(slot).Read();
    const ByteSet preview = services ? services->FetchPreview(record->preview_url) : ByteSet();
    if (!IsWindowLoaded(kSkinWindowId)) {
      return;
    }
    WriteBytesProperty(kSkinWindowId, PreviewBoxOfSlot(slot), kPicPicture, preview);
  }
}

void LoadButton1Clicked() { StartSlotInstallation(1); }
void LoadButton2Clicked() { StartSlotInstallation(2); }
void LoadButton3Clicked() { StartSlotInstallation(3); }

// ---- SkinWindowInstallationView --------------------------------------------------------------

SkinWindowInstallationView::SkinWindowInstallationView(int slot)
    : slot_(slot), window_instance_(g_window_instance) {}

void SkinWindowInstallationView::SetCaption(std::string_view gbk_caption) {
  OnGuiThread([&] {
    if (IsWindowLoaded(kSkinWindowId) && g_window_instance == window_instance_) {
      WriteTextProperty(kSkinWindowId, LoadButtonOfSlot(slot_), kButtonCaption, Text(gbk_caption));
    }
  });
}

void SkinWindowInstallationView::ShowMessage(std::string_view gbk_message) {
  if (SkinWindowServices* services = Services()) {
    services->ShowMessage(gbk_message);
  }
}

void SkinWindowInstallationView::CloseWindow() {
  OnGuiThread([&] {
    if (IsWindowLoaded(kSkinWindowId) && g_window_instance == window_instance_) {
      if (SkinWindowServices* services = Services()) {
        services->CloseSkinWindow();
      }
    }
  });
}

}  // namespace lq

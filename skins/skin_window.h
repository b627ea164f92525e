// The skin window: three previews of the skins in the three skin slots, a "载入" button under each
// and a reminder line. Its template and its handlers.
//
// The created event has the previews fetched on worker threads (preview_fetcher.h); each load
// button starts the installation of its slot on a thread of its own, with copies of the slot's
// package URL and name and of the game directory taken at the click, so closing the window or
// choosing another game directory while it runs changes nothing for it. While a package's
// installation runs, every load button of that package is disabled, in this opening of the window
// and in later ones, and a click on it starts nothing: a package is never downloaded twice at once.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "runtime/forms/window_template.h"
#include "skins/installation.h"
#include "skins/installation_environment.h"
#include "skins/preview_fetcher.h"
#include "skins/skin_window_state.h"

namespace lq {

inline constexpr WindowId kSkinWindowId = 0x5201005c;
inline constexpr UnitId kSkinWindowUnit = 0x0601005b;

// Slot k (1..3) belongs to picture box k and load button k.
inline constexpr UnitId kPreviewBox1 = 0x1601005d;    // 图片框1
inline constexpr UnitId kPreviewBox2 = 0x16010096;    // 图片框2
inline constexpr UnitId kPreviewBox3 = 0x16010098;    // 图片框3
inline constexpr UnitId kLoadButton1 = 0x1601006b;    // 按钮1
inline constexpr UnitId kLoadButton2 = 0x16010097;    // 按钮2
inline constexpr UnitId kLoadButton3 = 0x16010099;    // 按钮3
inline constexpr UnitId kReminderLabel = 0x160100ad;  // 标签1

inline constexpr const char* kReminderText = "提醒：载入新皮肤会卸载之前载入过的皮肤哦！";

// Event 2, the window is being destroyed (whoever closed it): empties the three slots.
void SkinWindowDestroying();

// The skin window's template with its handlers bound to one environment. The object must outlive
// every window loaded from its template.
class SkinWindow {
 public:
  explicit SkinWindow(const InstallationEnvironment& env);
  SkinWindow(const SkinWindow&) = delete;
  SkinWindow& operator=(const SkinWindow&) = delete;

  const WindowTemplate& Template() const { return template_; }

  // Event 0 of the window (created): the previews are queued and the handler returns at once.
  void Created(std::int32_t unused = 0);
  // Event 0 of load button `slot` (1 to 3): starts the installation of that slot and returns at
  // once; nothing when that slot's package is being installed already.
  void StartSlot(std::int32_t slot);

  // The copies one installation of `slot` (1 to 3) works with.
  InstallationInputs TakeInstallationInputs(int slot) const;

 private:
  const InstallationEnvironment& env_;
  std::shared_ptr<SkinWindowState> state_;
  PreviewFetcher previews_;
  std::array<ControlTemplate, 7> controls_;
  WindowTemplate template_;
};

}  // namespace lq

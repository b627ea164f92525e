// What the skin window does: its created event puts the previews of the three skin slots into
// the three picture boxes, and each load button starts the installation of its slot on a thread
// of its own.
//
// An installation takes copies of its slot's package URL and name and of the game directory at
// the click, so closing the window or choosing another game directory while it runs changes
// nothing for it. It writes its button's caption and closes the window only while the window it
// was started from is still loaded; a window closed in the meantime (by the user, or by another
// installation) is left alone, and so is a skin window opened again since.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "runtime/commands/values.h"
#include "skins/installation.h"

namespace lq {

// Event 0 of the skin window (created): for slot 1, 2 and 3 in turn, the slot's preview is
// fetched on the calling (GUI) thread and written into the slot's picture box. A fetch that fails
// (or an empty slot) leaves its box blank.
void SkinWindowCreated();

// Event 0 of 按钮1, 按钮2 and 按钮3 (clicked): starts the installation of slot 1, 2 or 3 and
// returns at once.
void LoadButton1Clicked();
void LoadButton2Clicked();
void LoadButton3Clicked();

// Where installations take the game directory from. The shell installs the reader of the value
// it publishes; until it does, installations find no directory and refuse.
using GameDirectoryReader = std::shared_ptr<const Text> (*)();
void SetGameDirectoryReader(GameDirectoryReader reader);

// The copies one installation of `slot` (1 to 3) works with.
InstallationInputs TakeInstallationInputs(int slot);

// What the handlers reach beyond the window model. The Windows build installs the platform's
// implementation by default; tests install their own.
class SkinWindowServices {
 public:
  // The body of a preview picture; empty when the fetch failed.
  virtual ByteSet FetchPreview(const Text& url) = 0;
  // Runs RunInstallation(inputs, view) on a new thread and returns at once. The view is the
  // thread's own.
  virtual void StartInstallation(InstallationInputs inputs,
                                 std::unique_ptr<InstallationView> view) = 0;
  // A message box without owner; returns when the user has dismissed it.
  virtual void ShowMessage(std::string_view gbk_message) = 0;
  // Posts the close of the skin window (called on the GUI thread, for a loaded window).
  virtual void CloseSkinWindow() = 0;

 protected:
  ~SkinWindowServices() = default;
};

// Installs `services` (not owned; nullptr: the platform's default). Returns the previous one.
SkinWindowServices* SetSkinWindowServices(SkinWindowServices* services);

// The load button `slot` and picture box of a slot (1 to 3).
std::uint32_t LoadButtonOfSlot(int slot);
std::uint32_t PreviewBoxOfSlot(int slot);

// How an installation started from the skin window shows itself: captions of its load button
// and the close, both carried out on the GUI thread and only while the skin window it was
// started from is loaded; the message through the services.
class SkinWindowInstallationView final : public InstallationView {
 public:
  // For the window loaded now (call on the GUI thread, when the button is clicked).
  explicit SkinWindowInstallationView(int slot);

  void SetCaption(std::string_view gbk_caption) override;
  void ShowMessage(std::string_view gbk_message) override;
  void CloseWindow() override;

 private:
  int slot_;
  std::uint64_t window_instance_;
};

}  // namespace lq

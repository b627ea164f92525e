// What the skin window does: its created event has the previews of the three skin slots fetched
// on worker threads, each into its own picture box as it arrives, and each load button starts the
// installation of its slot on a thread of its own.
//
// Workers never wait for the GUI thread: previews, captions and the close reach it through the GUI
// queue, and each is carried out only while the opening of the window it belongs to is still
// loaded. A window closed in the meantime (by the user, or by another installation) is left
// alone, and so is a skin window opened again since, for the same champion or another.
//
// An installation takes copies of its slot's package URL and name and of the game directory at
// the click, so closing the window or choosing another game directory while it runs changes
// nothing for it. While a package's installation runs, every load button of that package is
// disabled, in this opening of the window and in later ones, and a click on it starts nothing: a
// package is never downloaded twice at once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/commands/values.h"
#include "skins/installation.h"

namespace lq {

// Event 0 of the skin window (created): the previews of slots 1, 2 and 3 are queued for the
// preview fetchers (at most three threads at once, program-wide; fetches still queued for an
// earlier opening are dropped) and the handler returns at once. A fetched preview is written into
// its slot's picture box on the GUI thread; one that fails (or an empty slot) leaves its box blank.
void SkinWindowCreated();

// At most this many preview fetches run at once.
inline constexpr int kPreviewFetchers = 3;

// Event 0 of 按钮1, 按钮2 and 按钮3 (clicked): starts the installation of slot 1, 2 or 3 and
// returns at once; nothing when that slot's package is being installed already.
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
  // The body of a preview picture; empty when the fetch failed. Called on a worker thread.
  virtual ByteSet FetchPreview(const Text& url) = 0;
  // Runs `work` on a new thread and returns at once; false when no thread could be started.
  virtual bool RunInBackground(std::function<void()> work) = 0;
  // Runs RunInstallation(inputs, view) on a new thread and returns at once. The view is the
  // thread's own and is destroyed when the installation has ended (or could not start).
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

// The platform's default services: the download host, threads, message boxes and the window on
// Windows; none elsewhere (the handlers then fetch, start and show nothing).
SkinWindowServices* SystemSkinWindowServices();

// The load button `slot` and picture box of a slot (1 to 3).
std::uint32_t LoadButtonOfSlot(int slot);
std::uint32_t PreviewBoxOfSlot(int slot);

// How an installation started from the skin window shows itself: captions of its load button
// and the close, posted to the GUI thread and carried out there only while the opening of the
// skin window it was started from is loaded; the message through the services. Its end (its
// destruction) marks the package as no longer being installed and enables its load buttons.
class SkinWindowInstallationView final : public InstallationView {
 public:
  // For the window loaded now (call on the GUI thread, when the button is clicked), installing
  // the package at `package_url`, which the caller has marked as being installed.
  SkinWindowInstallationView(int slot, std::string package_url);
  ~SkinWindowInstallationView() override;
  SkinWindowInstallationView(const SkinWindowInstallationView&) = delete;
  SkinWindowInstallationView& operator=(const SkinWindowInstallationView&) = delete;

  void SetCaption(std::string_view gbk_caption) override;
  void ShowMessage(std::string_view gbk_message) override;
  void CloseWindow() override;

 private:
  int slot_;
  std::uint64_t opening_;
  std::string package_url_;
};

}  // namespace lq

// The skin window's previews, fetched on worker threads, each into its own picture box as it
// arrives. At most kPreviewFetchers run at once, program-wide; the GUI thread never waits for one.
// A fetched preview is written on the GUI thread, into the box of its slot in the opening that
// asked for it, and only while that opening is the loaded window.
#pragma once

#include <cstdint>
#include <memory>

#include "skins/installation_environment.h"
#include "skins/skin_window_state.h"

namespace lq {

inline constexpr int kPreviewFetchers = 3;

class PreviewFetcher {
 public:
  PreviewFetcher(const InstallationEnvironment& env, std::shared_ptr<SkinWindowState> state);

  // Queues the previews of the three slots for `opening` and returns at once. Previews still
  // queued for an earlier opening are dropped; an empty slot, or a fetch that fails, leaves its
  // box blank. GUI thread.
  void Queue(std::uint64_t opening);

 private:
  struct Shared;
  std::function<bool(std::function<void()>)> start_thread_;
  // Shared with the fetcher threads, which may outlive the window (and the program's end).
  std::shared_ptr<Shared> shared_;
};

}  // namespace lq

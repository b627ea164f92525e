// The skin window's previews, fetched on worker threads, each into its own picture box as it
// arrives. At most kPreviewFetchers ask the host at once, program-wide; the GUI thread never waits
// for the host or the disk. A preview is written on the GUI thread, into the box of its slot in
// the opening that asked for it, and only while that opening is the loaded window.
//
// With a cache of previews (PreviewSource), an opening first shows the copies kept from before,
// read on a thread of their own so that no fetch of an earlier opening holds them up, and then
// asks the host whether each changed (If-None-Match, If-Modified-Since): a picture the box can
// show replaces the kept one in the box and in the cache; an unchanged preview, a failure or an
// answer that is no picture leaves the kept copy. Without a kept copy a box shows what a GET of
// the preview within its bounds brings, and stays blank when that fails.
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
  // Shared with the fetcher threads, which may outlive the window (and the program's end).
  std::shared_ptr<Shared> shared_;
};

}  // namespace lq

#include "skins/preview_fetcher.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <utility>

#include "runtime/forms/property_table.h"
#include "runtime/forms/unit_properties.h"
#include "skins/skin_slots.h"
#include "skins/skin_window.h"

namespace lq {

struct PreviewFetcher::Shared {
  struct Fetch {
    std::uint64_t opening = 0;
    int slot = 0;
    Text url;
  };

  std::function<ByteSet(const Text&)> fetch_preview;
  std::function<void(std::function<void()>)> post_to_gui;
  std::shared_ptr<SkinWindowState> state;
  std::mutex mutex;
  std::deque<Fetch> waiting;
  int fetchers = 0;

  // A fetcher's thread: fetches waiting previews until none is left. A preview of an opening
  // that is over is dropped unfetched.
  void Run() {
    // The count goes down under the same lock that found nothing waiting, so a preview queued
    // meanwhile either is seen here or starts a fetcher of its own. Only an exception leaves
    // otherwise.
    bool counted_out = false;
    struct Leaving {
      Shared& shared;
      const bool& counted_out;
      ~Leaving() {
        if (!counted_out) {
          std::lock_guard lock(shared.mutex);
          --shared.fetchers;
        }
      }
    } leaving{*this, counted_out};
    for (;;) {
      Fetch next;
      {
        std::lock_guard lock(mutex);
        if (waiting.empty()) {
          --fetchers;
          counted_out = true;
          return;
        }
        next = std::move(waiting.front());
        waiting.pop_front();
      }
      if (next.opening != state->opening.load()) {
        continue;
      }
      ByteSet preview = fetch_preview ? fetch_preview(next.url) : ByteSet();
      post_to_gui(
          [state = state, opening = next.opening, slot = next.slot, preview = std::move(preview)] {
            if (state->IsCurrentOpening(opening)) {
              WriteBytesProperty(kSkinWindowId, PreviewBoxOfSlot(slot), kPicPicture, preview);
            }
          });
    }
  }
};

PreviewFetcher::PreviewFetcher(const InstallationEnvironment& env,
                               std::shared_ptr<SkinWindowState> state)
    : shared_(std::make_shared<Shared>()) {
  shared_->fetch_preview = env.fetch_preview;
  shared_->post_to_gui = env.post_to_gui;
  shared_->state = std::move(state);
  start_thread_ = env.start_thread;
}

void PreviewFetcher::Queue(std::uint64_t opening) {
  int starting = 0;
  {
    std::lock_guard lock(shared_->mutex);
    shared_->waiting.clear();  // an earlier opening's, not fetched yet
    for (int slot = 1; slot <= kSkinSlotCount; ++slot) {
      shared_->waiting.push_back({opening, slot, ProgramSkinSlot(slot).Read()->preview_url});
    }
    starting = std::min(kPreviewFetchers - shared_->fetchers, kSkinSlotCount);
    shared_->fetchers += starting;
  }
  for (int i = 0; i < starting; ++i) {
    if (!start_thread_ || !start_thread_([shared = shared_] { shared->Run(); })) {
      std::lock_guard lock(shared_->mutex);
      --shared_->fetchers;
    }
  }
}

}  // namespace lq

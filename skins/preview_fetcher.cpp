#include "skins/preview_fetcher.h"

#include <algorithm>
#include <array>
#include <deque>
#include <mutex>
#include <optional>
#include <span>
#include <utility>

#include "runtime/forms/property_table.h"
#include "runtime/forms/unit_properties.h"
#include "runtime/pictures/decoders.h"
#include "skins/preview_cache.h"
#include "skins/skin_slots.h"
#include "skins/skin_window.h"

namespace lq {
namespace {

// Whether a picture box would show these bytes as a picture.
bool ShowsAsPicture(const ByteSet& bytes) {
  return pictures::DecodePicture(std::span(bytes.data(), bytes.size())).has_value();
}

}  // namespace

struct PreviewFetcher::Shared : std::enable_shared_from_this<Shared> {
  struct Fetch {
    std::uint64_t opening = 0;
    int slot = 0;
    Text url;
    std::optional<KeptPreview> kept;  // the copy the box shows already
  };

  PreviewSource source;
  std::function<void(std::function<void()>)> post_to_gui;
  std::function<bool(std::function<void()>)> start_thread;
  std::shared_ptr<SkinWindowState> state;
  std::mutex mutex;
  std::deque<Fetch> waiting;
  int fetchers = 0;

  // Writes the picture into the slot's box, on the GUI thread, if the opening is still there.
  void Show(std::uint64_t opening, int slot, ByteSet picture) {
    post_to_gui([state = state, opening, slot, picture = std::move(picture)] {
      if (state->IsCurrentOpening(opening)) {
        WriteBytesProperty(kSkinWindowId, PreviewBoxOfSlot(slot), kPicPicture, picture);
      }
    });
  }

  // Shows the kept copies of an opening's previews, all in one job so that the boxes are painted
  // together, then queues each for the host.
  void ShowKept(std::uint64_t opening, const std::array<Text, kSkinSlotCount>& urls) {
    std::array<std::optional<KeptPreview>, kSkinSlotCount> kept;
    std::array<ByteSet, kSkinSlotCount> pictures;
    for (int slot = 1; slot <= kSkinSlotCount; ++slot) {
      if (opening != state->opening.load()) {
        return;
      }
      const Text& url = urls[slot - 1];
      kept[slot - 1] = url.empty() ? std::nullopt : source.cache->Find(url.view());
      if (kept[slot - 1]) pictures[slot - 1] = kept[slot - 1]->picture;
    }
    if (std::any_of(pictures.begin(), pictures.end(),
                    [](const ByteSet& p) { return !p.empty(); })) {
      post_to_gui([state = state, opening, pictures = std::move(pictures)] {
        for (int slot = 1; slot <= kSkinSlotCount; ++slot) {
          if (!pictures[slot - 1].empty() && state->IsCurrentOpening(opening)) {
            WriteBytesProperty(kSkinWindowId, PreviewBoxOfSlot(slot), kPicPicture,
                               pictures[slot - 1]);
          }
        }
      });
    }
    for (int slot = 1; slot <= kSkinSlotCount; ++slot) {
      Enqueue({opening, slot, urls[slot - 1], std::move(kept[slot - 1])});
    }
  }

  // Queues a fetch and starts a fetcher for it unless kPreviewFetchers run already.
  void Enqueue(Fetch fetch) {
    {
      std::lock_guard lock(mutex);
      waiting.push_back(std::move(fetch));
      if (fetchers >= kPreviewFetchers) {
        return;
      }
      ++fetchers;
    }
    if (!start_thread || !start_thread([self = shared_from_this()] { self->Run(); })) {
      std::lock_guard lock(mutex);
      --fetchers;
    }
  }

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
      if (next.opening == state->opening.load()) {
        Ask(next);
      }
    }
  }

  // Asks the host for one preview, conditionally when a copy is shown already.
  void Ask(Fetch& fetch) {
    RequestConditions conditions;
    if (fetch.kept) {
      conditions.if_none_match = fetch.kept->validators.etag;
      conditions.if_modified_since = fetch.kept->validators.last_modified;
    }
    HttpReadResult answer =
        source.ask_host ? source.ask_host(fetch.url, conditions) : HttpReadResult();
    const bool whole = answer.status == kHttpOk && answer.end == TransferEnd::kComplete;
    const PreviewValidators validators{answer.head.etag, answer.head.last_modified};
    if (whole && fetch.kept && answer.body == fetch.kept->picture) {
      // The same picture again (the host ignores the conditions, or its validators changed).
      if (source.cache && validators != fetch.kept->validators) {
        source.cache->Keep(fetch.url.view(), validators, answer.body.bytes());
      }
      return;
    }
    if (whole && ShowsAsPicture(answer.body)) {
      Show(fetch.opening, fetch.slot, answer.body);
      if (source.cache) {
        source.cache->Keep(fetch.url.view(), validators, answer.body.bytes());
      }
      return;
    }
    if (fetch.kept) {
      return;  // unchanged, unreachable, or no picture: the kept copy stays
    }
    // Past its deadline or its cap a preview fails as a whole: its box stays blank.
    const bool bounded =
        answer.end != TransferEnd::kTimedOut && answer.end != TransferEnd::kTooLarge;
    Show(fetch.opening, fetch.slot,
         answer.status == kHttpOk && bounded ? std::move(answer.body) : ByteSet());
  }
};

PreviewFetcher::PreviewFetcher(const InstallationEnvironment& env,
                               std::shared_ptr<SkinWindowState> state)
    : shared_(std::make_shared<Shared>()) {
  shared_->source = env.fetch_preview;
  shared_->post_to_gui = env.post_to_gui;
  shared_->start_thread = env.start_thread;
  shared_->state = std::move(state);
}

void PreviewFetcher::Queue(std::uint64_t opening) {
  {
    std::lock_guard lock(shared_->mutex);
    shared_->waiting.clear();  // an earlier opening's, not fetched yet
  }
  std::array<Text, kSkinSlotCount> urls;
  for (int slot = 1; slot <= kSkinSlotCount; ++slot) {
    urls[slot - 1] = ProgramSkinSlot(slot).Read()->preview_url;
  }
  if (shared_->source.cache && shared_->start_thread &&
      shared_->start_thread(
          [shared = shared_, opening, urls] { shared->ShowKept(opening, urls); })) {
    return;
  }
  for (int slot = 1; slot <= kSkinSlotCount; ++slot) {
    shared_->Enqueue({opening, slot, urls[slot - 1], std::nullopt});
  }
}

}  // namespace lq

#include "skins/skin_window_actions.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>
#include <set>
#include <utility>

#include "runtime/forms/gui_queue.h"
#include "runtime/forms/property_table.h"
#include "runtime/forms/unit_properties.h"
#include "skins/skin_slots.h"
#include "skins/skin_window.h"

namespace lq {
namespace {

std::atomic<GameDirectoryReader> g_game_directory{nullptr};
std::atomic<SkinWindowServices*> g_services{nullptr};

// Which opening of the skin window is the current one: advanced by its created event on the GUI
// thread, read by the preview fetchers to drop work for an opening that is over.
std::atomic<std::uint64_t> g_opening{0};

// The packages whose installation runs, by URL. GUI thread only.
std::set<std::string> g_installing;

// Previews waiting for a fetcher, and how many fetchers run.
struct PreviewFetch {
  std::uint64_t opening = 0;
  int slot = 0;
  Text url;
};
struct PreviewFetches {
  std::mutex mutex;
  std::deque<PreviewFetch> waiting;
  int fetchers = 0;
};
// Never destroyed: a fetcher may still run while the process ends.
PreviewFetches& Fetches() {
  static PreviewFetches& fetches = *new PreviewFetches;
  return fetches;
}

SkinWindowServices* Services() {
  if (SkinWindowServices* s = g_services.load()) {
    return s;
  }
  return SystemSkinWindowServices();
}

// Whether `opening` is the skin window that is loaded now. GUI thread.
bool IsCurrentOpening(std::uint64_t opening) {
  return IsWindowLoaded(kSkinWindowId) && g_opening.load() == opening;
}

// Disables the load buttons whose slot's package is being installed and enables the others.
// GUI thread.
void RefreshLoadButtons() {
  if (!IsWindowLoaded(kSkinWindowId)) {
    return;
  }
  for (int slot = 1; slot <= kSkinSlotCount; ++slot) {
    const bool busy = g_installing.contains(ProgramSkinSlot(slot).Read()->package_url.str());
    if (ReadLogicalProperty(kSkinWindowId, LoadButtonOfSlot(slot), kPropDisabled) != busy) {
      WriteLogicalProperty(kSkinWindowId, LoadButtonOfSlot(slot), kPropDisabled, busy);
    }
  }
}

// A fetcher's thread: fetches waiting previews until none is left. A preview of an opening that
// is over is dropped unfetched; a fetched one goes to the GUI thread, which writes it into box k
// of the opening that asked for it, if that opening is still the loaded window.
void RunPreviewFetcher(SkinWindowServices& services) {
  PreviewFetches& fetches = Fetches();
  // The count goes down under the same lock that found nothing waiting, so a preview queued
  // meanwhile either is seen here or starts a fetcher of its own. Only an exception leaves
  // otherwise.
  bool counted_out = false;
  struct Leaving {
    PreviewFetches& fetches;
    const bool& counted_out;
    ~Leaving() {
      if (!counted_out) {
        std::lock_guard lock(fetches.mutex);
        --fetches.fetchers;
      }
    }
  } leaving{fetches, counted_out};
  for (;;) {
    PreviewFetch next;
    {
      std::lock_guard lock(fetches.mutex);
      if (fetches.waiting.empty()) {
        --fetches.fetchers;
        counted_out = true;
        return;
      }
      next = std::move(fetches.waiting.front());
      fetches.waiting.pop_front();
    }
    if (next.opening != g_opening.load()) {
      continue;
    }
    ByteSet preview = services.FetchPreview(next.url);
    PostToGuiThread([opening = next.opening, slot = next.slot, preview = std::move(preview)] {
      if (IsCurrentOpening(opening)) {
        WriteBytesProperty(kSkinWindowId, PreviewBoxOfSlot(slot), kPicPicture, preview);
      }
    });
  }
}

void QueuePreviews(SkinWindowServices& services, std::uint64_t opening) {
  PreviewFetches& fetches = Fetches();
  int starting = 0;
  {
    std::lock_guard lock(fetches.mutex);
    fetches.waiting.clear();  // an earlier opening's, not fetched yet
    for (int slot = 1; slot <= kSkinSlotCount; ++slot) {
      fetches.waiting.push_back({opening, slot, ProgramSkinSlot(slot).Read()->preview_url});
    }
    starting = std::min(kPreviewFetchers - fetches.fetchers, kSkinSlotCount);
    fetches.fetchers += starting;
  }
  for (int i = 0; i < starting; ++i) {
    if (!services.RunInBackground([&services] { RunPreviewFetcher(services); })) {
      std::lock_guard lock(fetches.mutex);
      --fetches.fetchers;
    }
  }
}

void StartSlotInstallation(int slot) {
  SkinWindowServices* services = Services();
  if (services == nullptr) {
    return;
  }
  InstallationInputs inputs = TakeInstallationInputs(slot);
  std::string package_url = inputs.package_url.str();
  if (!g_installing.insert(package_url).second) {
    return;  // a click that came before its button was disabled
  }
  RefreshLoadButtons();
  services->StartInstallation(std::move(inputs), std::make_unique<SkinWindowInstallationView>(
                                                     slot, std::move(package_url)));
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
  const std::uint64_t opening = ++g_opening;
  if (!g_installing.empty()) {
    RefreshLoadButtons();
  }
  if (SkinWindowServices* services = Services()) {
    QueuePreviews(*services, opening);
  }
}

void LoadButton1Clicked() { StartSlotInstallation(1); }
void LoadButton2Clicked() { StartSlotInstallation(2); }
void LoadButton3Clicked() { StartSlotInstallation(3); }

// ---- SkinWindowInstallationView --------------------------------------------------------------

SkinWindowInstallationView::SkinWindowInstallationView(int slot, std::string package_url)
    : slot_(slot), opening_(g_opening.load()), package_url_(std::move(package_url)) {}

SkinWindowInstallationView::~SkinWindowInstallationView() {
  PostToGuiThread([package_url = std::move(package_url_)] {
    g_installing.erase(package_url);
    RefreshLoadButtons();
  });
}

void SkinWindowInstallationView::SetCaption(std::string_view gbk_caption) {
  PostToGuiThread([slot = slot_, opening = opening_, caption = Text(gbk_caption)] {
    if (IsCurrentOpening(opening)) {
      WriteTextProperty(kSkinWindowId, LoadButtonOfSlot(slot), kButtonCaption, caption);
    }
  });
}

void SkinWindowInstallationView::ShowMessage(std::string_view gbk_message) {
  if (SkinWindowServices* services = Services()) {
    services->ShowMessage(gbk_message);
  }
}

void SkinWindowInstallationView::CloseWindow() {
  PostToGuiThread([opening = opening_] {
    if (IsCurrentOpening(opening)) {
      if (SkinWindowServices* services = Services()) {
        services->CloseSkinWindow();
      }
    }
  });
}

}  // namespace lq
